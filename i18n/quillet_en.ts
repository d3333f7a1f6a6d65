<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>DialogFrame</name>
    <message>
        <source>打印预览窗体</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>确  定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取  消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>水平居左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>水平居中</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>水平居右</source>
        <translation>Right</translation>
    </message>
</context>
<context>
    <name>EditColWidth</name>
    <message>
        <source>恢复列宽</source>
        <translation>Restore Column Width</translation>
    </message>
    <message>
        <source>要恢复的列：</source>
        <translation>Column:</translation>
    </message>
    <message>
        <source>第%1列</source>
        <translation>Column %1</translation>
    </message>
</context>
<context>
    <name>EditRowHeight</name>
    <message>
        <source>恢复行高</source>
        <translation>Restore Row Height</translation>
    </message>
    <message>
        <source>要恢复的行：</source>
        <translation>Row:</translation>
    </message>
    <message>
        <source>第%1行</source>
        <translation>Row %1</translation>
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
<context>
    <name>PageLinesDialog</name>
    <message>
        <source>一</source>
        <translation>1</translation>
    </message>
    <message>
        <source>二</source>
        <translation>2</translation>
    </message>
    <message>
        <source>三</source>
        <translation>3</translation>
    </message>
    <message>
        <source>文字：</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>是否多行显示</source>
        <translation>Separate lines</translation>
    </message>
</context>
<context>
    <name>PageList</name>
    <message>
        <source>第%1页</source>
        <translation>Page %1</translation>
    </message>
    <message>
        <source>“%1”不是有效的整数值</source>
        <translation>&quot;%1&quot; is not a valid integer</translation>
    </message>
    <message>
        <source>没有第%1页，请输入1到%2之间的页号</source>
        <translation>There is no page %1. Enter a page number from 1 to %2</translation>
    </message>
</context>
<context>
    <name>PageRun</name>
    <message>
        <source>打印</source>
        <translation>Printing</translation>
    </message>
    <message>
        <source>正在打印第%1页，共%2页</source>
        <translation>Printing page %1 of %2</translation>
    </message>
    <message>
        <source>发生了未知的错误</source>
        <translation>An unknown error occurred</translation>
    </message>
    <message>
        <source>%1
已送出%2页，共%3页。</source>
        <translation>%1
%2 of %3 pages were sent.</translation>
    </message>
    <message>
        <source>打印已取消，已送出%1页，共%2页。</source>
        <translation>Printing was cancelled; %1 of %2 pages were sent.</translation>
    </message>
</context>
<context>
    <name>PrintDlg</name>
    <message>
        <source>打印...</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>打印全部页</source>
        <translation>All pages</translation>
    </message>
    <message>
        <source>打印当前页</source>
        <translation>Current page</translation>
    </message>
    <message>
        <source>打印指定页</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>从</source>
        <translation>from</translation>
    </message>
    <message>
        <source>到</source>
        <translation>to</translation>
    </message>
</context>
<context>
    <name>SelectPage</name>
    <message>
        <source>选择指定页</source>
        <translation>Go to Page</translation>
    </message>
    <message>
        <source>选择页号：</source>
        <translation>Page:</translation>
    </message>
</context>
<context>
    <name>SetCompany</name>
    <message>
        <source>修改公司</source>
        <translation>Edit Company</translation>
    </message>
    <message>
        <source>公司：</source>
        <translation>Company:</translation>
    </message>
    <message>
        <source>请输入公司名称</source>
        <translation>Please enter the company name</translation>
    </message>
</context>
<context>
    <name>SetFont</name>
    <message>
        <source>设置字体</source>
        <translation>Font Setup</translation>
    </message>
    <message>
        <source> 公司字体 </source>
        <translation>Company</translation>
    </message>
    <message>
        <source> 标题字体 </source>
        <translation>Title</translation>
    </message>
    <message>
        <source> 各列字体 </source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>列号:</source>
        <translation>Column:</translation>
    </message>
    <message>
        <source> 页头字体 </source>
        <translation>Header</translation>
    </message>
    <message>
        <source>项号:</source>
        <translation>Item:</translation>
    </message>
    <message>
        <source> 页尾字体 </source>
        <translation>Footer</translation>
    </message>
    <message>
        <source>特殊项字体</source>
        <translation>Special</translation>
    </message>
    <message>
        <source>名称:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>字体:</source>
        <translation>Font:</translation>
    </message>
    <message>
        <source>字号:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>颜色:</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>预览:</source>
        <translation>Preview:</translation>
    </message>
    <message>
        <source>第%1列</source>
        <translation>Column %1</translation>
    </message>
    <message>
        <source>第%1项</source>
        <translation>Item %1</translation>
    </message>
    <message>
        <source>“%1”不是有效的整数值</source>
        <translation>&quot;%1&quot; is not a valid integer</translation>
    </message>
    <message>
        <source>字体效果</source>
        <translation>AaBbYyZz</translation>
    </message>
</context>
<context>
    <name>SetPageFoot</name>
    <message>
        <source>修改页尾</source>
        <translation>Edit Page Footer</translation>
    </message>
    <message>
        <source>页尾%1</source>
        <translation>Footer %1</translation>
    </message>
</context>
<context>
    <name>SetPageHead</name>
    <message>
        <source>修改页头</source>
        <translation>Edit Page Header</translation>
    </message>
    <message>
        <source>页头%1</source>
        <translation>Header %1</translation>
    </message>
</context>
<context>
    <name>SetPaper</name>
    <message>
        <source>页面设置</source>
        <translation>Page Setup</translation>
    </message>
    <message>
        <source>页面边距</source>
        <translation>Margins</translation>
    </message>
    <message>
        <source>打印内容</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>毫米</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>上边距</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>下边距</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>左边距</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>右边距</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>当前纸张信息:</source>
        <translation>Paper:</translation>
    </message>
    <message>
        <source>打印方向:</source>
        <translation>Orientation:</translation>
    </message>
    <message>
        <source>预览:</source>
        <translation>Preview:</translation>
    </message>
    <message>
        <source>打印公司</source>
        <translation>Print company</translation>
    </message>
    <message>
        <source>打印标题</source>
        <translation>Print title</translation>
    </message>
    <message>
        <source>打印页头</source>
        <translation>Print header</translation>
    </message>
    <message>
        <source>打印页尾</source>
        <translation>Print footer</translation>
    </message>
    <message>
        <source>打印页号</source>
        <translation>Print page numbers</translation>
    </message>
    <message>
        <source>负数用红色正数表示</source>
        <translation>Negatives as red positives</translation>
    </message>
    <message>
        <source>没有数据继续打印表格</source>
        <translation>Print grid without data</translation>
    </message>
    <message>
        <source>一张纸放多个表格</source>
        <translation>Several tables on one sheet</translation>
    </message>
    <message>
        <source>表间距</source>
        <translation>Gap</translation>
    </message>
    <message>
        <source>表间画线</source>
        <translation>Rule between tables</translation>
    </message>
    <message>
        <source>长%1毫米    宽%2毫米</source>
        <translation>Length %1 mm   Width %2 mm</translation>
    </message>
    <message>
        <source>纵向</source>
        <translation>Portrait</translation>
    </message>
    <message>
        <source>横向</source>
        <translation>Landscape</translation>
    </message>
</context>
<context>
    <name>SetRowCount</name>
    <message>
        <source>修改打印行数</source>
        <translation>Rows per Table</translation>
    </message>
    <message>
        <source>打印行数：</source>
        <translation>Rows:</translation>
    </message>
</context>
<context>
    <name>SetTitle</name>
    <message>
        <source>修改标题</source>
        <translation>Edit Title</translation>
    </message>
    <message>
        <source>标题：</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>请输入标题</source>
        <translation>Please enter the title</translation>
    </message>
</context>
<context>
    <name>TextLineDialog</name>
    <message>
        <source>线型：</source>
        <translation>Line:</translation>
    </message>
    <message>
        <source>无线</source>
        <translation>None</translation>
    </message>
    <message>
        <source>单线</source>
        <translation>Single</translation>
    </message>
    <message>
        <source>双线</source>
        <translation>Double</translation>
    </message>
    <message>
        <source>单粗线</source>
        <translation>Thick</translation>
    </message>
    <message>
        <source>虚线</source>
        <translation>Dashed</translation>
    </message>
    <message>
        <source>点划线</source>
        <translation>Dash-dot</translation>
    </message>
    <message>
        <source>颜色：</source>
        <translation>Colour:</translation>
    </message>
</context>
<context>
    <name>UnitAbout</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>报表打印预览</source>
        <translation>Print Preview</translation>
    </message>
</context>
<context>
    <name>UnitSetAllRowHeight</name>
    <message>
        <source>设置统一行高</source>
        <translation>Set All Row Heights</translation>
    </message>
    <message>
        <source>行高：</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>2...50毫米</source>
        <translation>2...50 mm</translation>
    </message>
    <message>
        <source>“%1”不是有效的整数值</source>
        <translation>&quot;%1&quot; is not a valid integer</translation>
    </message>
    <message>
        <source>数值范围不符合要求</source>
        <translation>The value is out of range</translation>
    </message>
</context>
</TS>
