<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>HelpWindow</name>
    <message>
        <source>Quillet 使用手册</source>
        <translation>Quillet User Manual</translation>
    </message>
    <message>
        <source>找不到使用手册：%1</source>
        <translation>The manual cannot be found: %1</translation>
    </message>
</context>
<context>
    <name>OutputMessages</name>
    <message>
        <source>磁盘已满</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>超出了磁盘配额</source>
        <translation>The disk quota is exceeded</translation>
    </message>
    <message>
        <source>文件超出了允许的大小</source>
        <translation>The file is larger than allowed</translation>
    </message>
    <message>
        <source>没有写入的权限</source>
        <translation>No permission to write</translation>
    </message>
    <message>
        <source>磁盘只能读，不能写</source>
        <translation>The disk is read-only</translation>
    </message>
    <message>
        <source>文件夹不存在，也无法建立</source>
        <translation>The folder does not exist and cannot be created</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>This is a folder</translation>
    </message>
    <message>
        <source>文件名或路径太长</source>
        <translation>The file name or path is too long</translation>
    </message>
    <message>
        <source>路径中的链接绕成了一个圈</source>
        <translation>The links in the path form a loop</translation>
    </message>
    <message>
        <source>写入时发生错误(错误代码%1)</source>
        <translation>An error occurred while writing (error code %1)</translation>
    </message>
    <message>
        <source>没有在文件夹“%1”中写入的权限</source>
        <translation>No permission to write in the folder &quot;%1&quot;</translation>
    </message>
    <message>
        <source>这是正在使用的数据文件或格式文件</source>
        <translation>This is the data file or format file in use</translation>
    </message>
    <message>
        <source>这不是普通文件(是设备、管道或套接字)</source>
        <translation>This is not a regular file (it is a device, pipe or socket)</translation>
    </message>
    <message>
        <source>没有写入这个文件的权限</source>
        <translation>No permission to write this file</translation>
    </message>
    <message>
        <source>这是一个指向不存在的文件的链接</source>
        <translation>This is a link to a file that does not exist</translation>
    </message>
    <message>
        <source>这是一个链接，指向的不是普通文件</source>
        <translation>This is a link to something that is not a regular file</translation>
    </message>
    <message>
        <source>这是一个绕成圈的链接，最终指向它自己</source>
        <translation>This is a link that loops back to itself</translation>
    </message>
    <message>
        <source>不能写入“%1”：%2</source>
        <translation>Cannot write &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1，%2</source>
        <translation>%1: %2</translation>
    </message>
</context>
</TS>
