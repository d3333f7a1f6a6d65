<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AccessibleWindow</name>
    <message>
        <source>%1至%2厘米</source>
        <translation>%1 to %2 cm</translation>
    </message>
    <message>
        <source>页面</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>第%1页 共%2页 %3</source>
        <translation>Page %1 of %2 %3</translation>
    </message>
    <message>
        <source>页面区</source>
        <translation>Page area</translation>
    </message>
    <message>
        <source>缩略图</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>上标尺</source>
        <translation>Top ruler</translation>
    </message>
    <message>
        <source>左标尺</source>
        <translation>Left ruler</translation>
    </message>
    <message>
        <source>页签</source>
        <translation>Page tabs</translation>
    </message>
    <message>
        <source>页签左移</source>
        <translation>Scroll tabs left</translation>
    </message>
    <message>
        <source>页签右移</source>
        <translation>Scroll tabs right</translation>
    </message>
    <message>
        <source>页号</source>
        <translation>Page number</translation>
    </message>
    <message>
        <source>状态栏</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>总页数</source>
        <translation>Page count</translation>
    </message>
    <message>
        <source>当前页</source>
        <translation>Current page</translation>
    </message>
    <message>
        <source>打印机</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>保存打印格式</source>
        <translation>Save layout</translation>
    </message>
    <message>
        <source>将当前打印格式保存起来，供以后打印使用</source>
        <translation>Save the current layout for later printing</translation>
    </message>
    <message>
        <source>删除保存的打印格式</source>
        <translation>Delete saved layout</translation>
    </message>
    <message>
        <source>删除当前保存的格式</source>
        <translation>Delete the saved layout of this report</translation>
    </message>
    <message>
        <source>保存到图片</source>
        <translation>Save as picture</translation>
    </message>
    <message>
        <source>将当前打印内容保存到指定的图片文件中</source>
        <translation>Save the current page to a picture file</translation>
    </message>
    <message>
        <source>导出PDF...</source>
        <translation>Export PDF...</translation>
    </message>
    <message>
        <source>将全部打印内容导出到指定的PDF文件中</source>
        <translation>Export the whole report to a PDF file</translation>
    </message>
    <message>
        <source>导出Excel...</source>
        <translation>Export Excel...</translation>
    </message>
    <message>
        <source>将全部打印内容导出到指定的Excel工作簿中</source>
        <translation>Export the whole report to an Excel workbook</translation>
    </message>
    <message>
        <source>导出CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>将全部数据行导出到指定的CSV文件中</source>
        <translation>Export all data rows to a CSV file</translation>
    </message>
    <message>
        <source>导出格式为JSON...</source>
        <translation>Export layout as JSON...</translation>
    </message>
    <message>
        <source>将当前打印格式（包括没有保存的修改）导出到指定的JSON文件中</source>
        <translation>Export the layout with unsaved edits to a JSON file</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>前一页</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>浏览前一页</source>
        <translation>Go to the previous page</translation>
    </message>
    <message>
        <source>下一页</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>浏览下一页</source>
        <translation>Go to the next page</translation>
    </message>
    <message>
        <source>第一页</source>
        <translation>First page</translation>
    </message>
    <message>
        <source>浏览第一页</source>
        <translation>Go to the first page</translation>
    </message>
    <message>
        <source>最后一页</source>
        <translation>Last page</translation>
    </message>
    <message>
        <source>浏览最后一页</source>
        <translation>Go to the last page</translation>
    </message>
    <message>
        <source>浏览指定页...</source>
        <translation>Go to page...</translation>
    </message>
    <message>
        <source>浏览指定页</source>
        <translation>Go to a page of your choice</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>回到跳转之前浏览的页</source>
        <translation>Return to the page shown before the jump</translation>
    </message>
    <message>
        <source>前进</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>重新浏览后退之前的页</source>
        <translation>Return to the page shown before going back</translation>
    </message>
    <message>
        <source>修改标题...</source>
        <translation>Edit title...</translation>
    </message>
    <message>
        <source>修改打印内容的标题</source>
        <translation>Edit the report&apos;s title</translation>
    </message>
    <message>
        <source>修改公司...</source>
        <translation>Edit company...</translation>
    </message>
    <message>
        <source>修改打印内容的公司</source>
        <translation>Edit the report&apos;s company</translation>
    </message>
    <message>
        <source>修改打印行数...</source>
        <translation>Rows per table...</translation>
    </message>
    <message>
        <source>修改打印表格行数</source>
        <translation>Change the number of table rows printed</translation>
    </message>
    <message>
        <source>修改页头...</source>
        <translation>Edit page header...</translation>
    </message>
    <message>
        <source>修改页尾...</source>
        <translation>Edit page footer...</translation>
    </message>
    <message>
        <source>设置统一行高...</source>
        <translation>Set all row heights...</translation>
    </message>
    <message>
        <source>恢复合并的列宽...</source>
        <translation>Restore merged columns...</translation>
    </message>
    <message>
        <source>恢复合并后列宽为0的列</source>
        <translation>Restore columns merged to a width of 0</translation>
    </message>
    <message>
        <source>恢复合并的行高...</source>
        <translation>Restore merged rows...</translation>
    </message>
    <message>
        <source>恢复合并后行高为0的行</source>
        <translation>Restore rows merged to a height of 0</translation>
    </message>
    <message>
        <source>水平居左</source>
        <translation>Align left</translation>
    </message>
    <message>
        <source>将打印的内容停靠在纸张的左边</source>
        <translation>Place the printout at the left of the sheet</translation>
    </message>
    <message>
        <source>水平居中</source>
        <translation>Centre horizontally</translation>
    </message>
    <message>
        <source>将打印的内容停靠在纸张的中央</source>
        <translation>Place the printout in the middle of the sheet</translation>
    </message>
    <message>
        <source>水平居右</source>
        <translation>Align right</translation>
    </message>
    <message>
        <source>将打印的内容停靠在纸张的右边</source>
        <translation>Place the printout at the right of the sheet</translation>
    </message>
    <message>
        <source>垂直居顶</source>
        <translation>Align top</translation>
    </message>
    <message>
        <source>将打印的内容停靠在纸张的顶端</source>
        <translation>Place the printout at the top of the sheet</translation>
    </message>
    <message>
        <source>垂直居中</source>
        <translation>Centre vertically</translation>
    </message>
    <message>
        <source>垂直居底</source>
        <translation>Align bottom</translation>
    </message>
    <message>
        <source>将打印的内容停靠在纸张的底端</source>
        <translation>Place the printout at the bottom of the sheet</translation>
    </message>
    <message>
        <source>页面设置...</source>
        <translation>Page setup...</translation>
    </message>
    <message>
        <source>对打印页面进行设置</source>
        <translation>Set up the printed page</translation>
    </message>
    <message>
        <source>字体设置...</source>
        <translation>Font setup...</translation>
    </message>
    <message>
        <source>对打印页面上的字体进行设置</source>
        <translation>Set the fonts of the printed page</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>撤销上一次对打印格式的修改</source>
        <translation>Undo the last change to the layout</translation>
    </message>
    <message>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>重做撤销了的修改</source>
        <translation>Redo the change that was undone</translation>
    </message>
    <message>
        <source>预览比率50%</source>
        <translation>Preview at 50%</translation>
    </message>
    <message>
        <source>预览比率100%</source>
        <translation>Preview at 100%</translation>
    </message>
    <message>
        <source>打印比率50%</source>
        <translation>Print at 50%</translation>
    </message>
    <message>
        <source>打印比率100%</source>
        <translation>Print at 100%</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>从新显示打印页面上的内容</source>
        <translation>Show the contents of the page again</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>放大预览的页面</source>
        <translation>Enlarge the previewed page</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>缩小预览的页面</source>
        <translation>Reduce the previewed page</translation>
    </message>
    <message>
        <source>适合页宽</source>
        <translation>Fit width</translation>
    </message>
    <message>
        <source>使页面的宽度适合窗口</source>
        <translation>Fit the width of the page to the window</translation>
    </message>
    <message>
        <source>适合整页</source>
        <translation>Fit page</translation>
    </message>
    <message>
        <source>使整个页面适合窗口</source>
        <translation>Fit the whole page in the window</translation>
    </message>
    <message>
        <source>查找...</source>
        <translation>Find...</translation>
    </message>
    <message>
        <source>在全部打印内容中查找文字</source>
        <translation>Find text in the whole report</translation>
    </message>
    <message>
        <source>页面缩略图</source>
        <translation>Page thumbnails</translation>
    </message>
    <message>
        <source>在窗口左边显示各页的缩略图</source>
        <translation>Show page thumbnails at the left of the window</translation>
    </message>
    <message>
        <source>打印...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>打印指定内容</source>
        <translation>Print the pages you choose</translation>
    </message>
    <message>
        <source>设置打印机...</source>
        <translation>Printer setup...</translation>
    </message>
    <message>
        <source>设置打印机</source>
        <translation>Set up the printer</translation>
    </message>
    <message>
        <source>开始打印</source>
        <translation>Print all</translation>
    </message>
    <message>
        <source>开始打印所有内容</source>
        <translation>Print the whole report</translation>
    </message>
    <message>
        <source>帮助...</source>
        <translation>Help...</translation>
    </message>
    <message>
        <source>帮助信息</source>
        <translation>Show the manual</translation>
    </message>
    <message>
        <source>写信...</source>
        <translation>Write to us...</translation>
    </message>
    <message>
        <source>给我们的技术支持部发送电子邮件</source>
        <translation>Send an e-mail to our technical support</translation>
    </message>
    <message>
        <source>Quillet的主页</source>
        <translation>Quillet home page</translation>
    </message>
    <message>
        <source>欢迎访问我们在Internet上的网站</source>
        <translation>Visit our web site</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About the program</translation>
    </message>
    <message>
        <source>预览状态</source>
        <translation>Preview mode</translation>
    </message>
    <message>
        <source>切换为预览状态</source>
        <translation>Switch to preview mode</translation>
    </message>
    <message>
        <source>设计状态</source>
        <translation>Design mode</translation>
    </message>
    <message>
        <source>切换为设计状态</source>
        <translation>Switch to design mode</translation>
    </message>
    <message>
        <source>标准风格</source>
        <translation>Standard style</translation>
    </message>
    <message>
        <source>XP风格</source>
        <translation>XP style</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>翻页(&amp;Y)</source>
        <translation>Pa&amp;ge</translation>
    </message>
    <message>
        <source>格式(&amp;O)</source>
        <translation>F&amp;ormat</translation>
    </message>
    <message>
        <source>设置(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>浏览(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>打印(&amp;P)</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>状态(&amp;T)</source>
        <translation>Mo&amp;de</translation>
    </message>
    <message>
        <source>界面(&amp;I)</source>
        <translation>&amp;Interface</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
</context>
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
        <translation>Note</translation>
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
    <name>LayoutHistory</name>
    <message>
        <source>无法恢复打印格式，当前的打印格式没有改变</source>
        <translation>Cannot restore the layout; the current layout is unchanged</translation>
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
    <name>PageProgress</name>
    <message>
        <source>取  消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在取消…</source>
        <translation>Cancelling…</translation>
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
    <name>PdfReport</name>
    <message>
        <source>发生了未知的错误</source>
        <translation>An unknown error occurred</translation>
    </message>
    <message>
        <source>无法写入PDF文件“%1”，%2</source>
        <translation>Cannot write the PDF file &quot;%1&quot;: %2</translation>
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
    <name>PrintReview</name>
    <message>
        <source>共%1页</source>
        <translation>%1 pages</translation>
    </message>
    <message>
        <source>第%1页</source>
        <translation>Page %1</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>工具条</source>
        <translation>Tool bar</translation>
    </message>
    <message>
        <source>上标尺</source>
        <translation>Top ruler</translation>
    </message>
    <message>
        <source>左标尺</source>
        <translation>Left ruler</translation>
    </message>
    <message>
        <source>纸张 %1*%2(毫米)</source>
        <translation>Paper %1*%2 (mm)</translation>
    </message>
    <message>
        <source>翻页工具条</source>
        <translation>Page tool bar</translation>
    </message>
    <message>
        <source>提示信息栏</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Hints</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>打印机</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>预览缩放比率</source>
        <translation>Preview zoom</translation>
    </message>
    <message>
        <source>打印预览窗体</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>发生了未知的错误</source>
        <translation>An unknown error occurred</translation>
    </message>
    <message>
        <source>打印机:%1</source>
        <translation>Printer: %1</translation>
    </message>
    <message>
        <source>没有安装打印机</source>
        <translation>No printer installed</translation>
    </message>
    <message>
        <source> 无法照原样显示,显示为 %1*%2(厘米)</source>
        <translation> cannot be shown as it is, shown as %1*%2 (cm)</translation>
    </message>
    <message>
        <source>&#x3000;第%1页&#x3000;</source>
        <translation> Page %1 </translation>
    </message>
    <message>
        <source>设计</source>
        <translation>Design</translation>
    </message>
</context>
<context>
    <name>PrinterSetupDialog</name>
    <message>
        <source>A3 (297×420毫米)</source>
        <translation>A3 (297×420 mm)</translation>
    </message>
    <message>
        <source>A4 (210×297毫米)</source>
        <translation>A4 (210×297 mm)</translation>
    </message>
    <message>
        <source>A5 (148×210毫米)</source>
        <translation>A5 (148×210 mm)</translation>
    </message>
    <message>
        <source>B4 (257×364毫米)</source>
        <translation>B4 (257×364 mm)</translation>
    </message>
    <message>
        <source>B5 (182×257毫米)</source>
        <translation>B5 (182×257 mm)</translation>
    </message>
    <message>
        <source>Letter (216×279毫米)</source>
        <translation>Letter (216×279 mm)</translation>
    </message>
    <message>
        <source>Legal (216×356毫米)</source>
        <translation>Legal (216×356 mm)</translation>
    </message>
    <message>
        <source>打印设置</source>
        <translation>Printer Setup</translation>
    </message>
    <message>
        <source>自定义 (%1×%2毫米)</source>
        <translation>Custom (%1×%2 mm)</translation>
    </message>
    <message>
        <source>当前纸张</source>
        <translation>Current paper</translation>
    </message>
    <message>
        <source>纵向</source>
        <translation>Portrait</translation>
    </message>
    <message>
        <source>横向</source>
        <translation>Landscape</translation>
    </message>
    <message>
        <source>整份打印为一个作业</source>
        <translation>Print the whole report as one job</translation>
    </message>
    <message>
        <source>打印机收到整份报表，才能双面打印和逐份打印；否则每页是一个作业</source>
        <translation>The printer needs the whole report to print on both sides and to collate; otherwise each page is one job</translation>
    </message>
    <message>
        <source>逐份打印</source>
        <translation>Collate</translation>
    </message>
    <message>
        <source>多份时一份印完再印下一份；只对整份打印为一个作业时有效</source>
        <translation>With several copies, each copy is printed whole before the next; only when the whole report is one job</translation>
    </message>
    <message>
        <source>打印机(&amp;N):</source>
        <translation>Pri&amp;nter:</translation>
    </message>
    <message>
        <source>纸张(&amp;Z):</source>
        <translation>&amp;Paper:</translation>
    </message>
    <message>
        <source>方向:</source>
        <translation>Orientation:</translation>
    </message>
    <message>
        <source>份数(&amp;C):</source>
        <translation>&amp;Copies:</translation>
    </message>
    <message>
        <source>双面打印(&amp;D):</source>
        <translation>&amp;Duplex:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>单面</source>
        <translation>One-sided</translation>
    </message>
    <message>
        <source>双面，长边翻转</source>
        <translation>Two-sided, long edge</translation>
    </message>
    <message>
        <source>双面，短边翻转</source>
        <translation>Two-sided, short edge</translation>
    </message>
</context>
<context>
    <name>QtPrinterHost</name>
    <message>
        <source>打印机“%1”已不存在</source>
        <translation>The printer &quot;%1&quot; no longer exists</translation>
    </message>
    <message>
        <source>打印机“%1”已停止，不能打印</source>
        <translation>The printer &quot;%1&quot; is stopped and cannot print</translation>
    </message>
    <message>
        <source>打印机“%1”不接受新的打印作业</source>
        <translation>The printer &quot;%1&quot; does not accept new print jobs</translation>
    </message>
    <message>
        <source>无法连接打印服务</source>
        <translation>Cannot connect to the print service</translation>
    </message>
    <message>
        <source>打印机“%1”不存在，改用系统默认打印机“%2”</source>
        <translation>The printer &quot;%1&quot; does not exist; using the system&apos;s default printer &quot;%2&quot;</translation>
    </message>
    <message>
        <source>打印机“%1”不存在，改用打印机“%2”</source>
        <translation>The printer &quot;%1&quot; does not exist; using the printer &quot;%2&quot;</translation>
    </message>
    <message>
        <source>打印作业%1已送到打印机“%2”，但打印机已停止，作业在队列中等待，没有打印%3</source>
        <translation>Print job %1 was sent to the printer &quot;%2&quot;, but the printer is stopped: the job waits in the queue and has not been printed%3</translation>
    </message>
    <message>
        <source>打印机“%1”拒绝了打印作业%2</source>
        <translation>The printer &quot;%1&quot; refused the print job%2</translation>
    </message>
    <message>
        <source>无法写入PDF文件“%1”，%2</source>
        <translation>Cannot write the PDF file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>无法在PDF文件夹“%1”中建立文件，%2</source>
        <translation>Cannot create a file in the PDF folder &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>打印机“%1”不能使用这种纸张(%2×%3毫米)</source>
        <translation>The printer &quot;%1&quot; cannot use this paper (%2×%3 mm)</translation>
    </message>
    <message>
        <source>无法把打印设置保存到“%1”，%2。份数和双面打印的设置只在这次运行中有效</source>
        <translation>Cannot save the print settings to &quot;%1&quot;: %2. Copies and two-sided printing apply to this run only</translation>
    </message>
</context>
<context>
    <name>ReviewDialogs</name>
    <message>
        <source>修改公司</source>
        <translation>Edit company</translation>
    </message>
    <message>
        <source>修改标题</source>
        <translation>Edit title</translation>
    </message>
    <message>
        <source>修改页头</source>
        <translation>Edit page header</translation>
    </message>
    <message>
        <source>修改页尾</source>
        <translation>Edit page footer</translation>
    </message>
    <message>
        <source>字体设置</source>
        <translation>Fonts</translation>
    </message>
    <message>
        <source>修改打印行数</source>
        <translation>Rows per table</translation>
    </message>
    <message>
        <source>设置统一行高</source>
        <translation>Set all row heights</translation>
    </message>
    <message>
        <source>恢复合并的列宽</source>
        <translation>Restore merged columns</translation>
    </message>
    <message>
        <source>恢复合并的行高</source>
        <translation>Restore merged rows</translation>
    </message>
    <message>
        <source>页面设置</source>
        <translation>Page setup</translation>
    </message>
    <message>
        <source>对不起！只能预览不能打印</source>
        <translation>Sorry, this report can only be previewed, not printed.</translation>
    </message>
</context>
<context>
    <name>ReviewFileCommands</name>
    <message>
        <source>位图格式 (*.bmp)</source>
        <translation>Bitmap (*.bmp)</translation>
    </message>
    <message>
        <source>PNG 图片 (*.png)</source>
        <translation>PNG picture (*.png)</translation>
    </message>
    <message>
        <source>对不起！只能预览不能打印</source>
        <translation>Sorry, this report can only be previewed, not printed.</translation>
    </message>
    <message>
        <source>保存到图片</source>
        <translation>Save as Picture</translation>
    </message>
    <message>
        <source>保存格式文件时出错!
%1</source>
        <translation>Error saving the format file!
%1</translation>
    </message>
    <message>
        <source>保存格式文件时出错!
无法写入“%1”，%2</source>
        <translation>Error saving the format file!
Cannot write &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>没有保存过当前的打印格式</source>
        <translation>The current layout has never been saved</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>是否真的要删除当前保存的打印格式？</source>
        <translation>Do you really want to delete the saved layout?</translation>
    </message>
    <message>
        <source>删除保存的打印格式时出错!</source>
        <translation>Error deleting the saved layout!</translation>
    </message>
    <message>
        <source>删除成功！</source>
        <translation>Deleted.</translation>
    </message>
    <message>
        <source>无法把图片保存到“%1”</source>
        <translation>Cannot save the picture to &quot;%1&quot;</translation>
    </message>
    <message>
        <source>无法把图片保存到“%1”，没有可以保存的页面图像</source>
        <translation>Cannot save the picture to &quot;%1&quot;: there is no page image to save</translation>
    </message>
    <message>
        <source>报表</source>
        <translation>report</translation>
    </message>
    <message>
        <source>导出PDF</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF file (*.pdf)</translation>
    </message>
    <message>
        <source>正在导出第%1页，共%2页</source>
        <translation>Exporting page %1 of %2</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export Excel</translation>
    </message>
    <message>
        <source>Excel 工作簿 (*.xlsx)</source>
        <translation>Excel workbook (*.xlsx)</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>layout</translation>
    </message>
    <message>
        <source>导出格式为JSON</source>
        <translation>Export Layout as JSON</translation>
    </message>
    <message>
        <source>JSON 格式文件 (*.json)</source>
        <translation>JSON layout file (*.json)</translation>
    </message>
    <message>
        <source>无法写入JSON文件“%1”</source>
        <translation>Cannot write the JSON file &quot;%1&quot;</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <source>没有安装打印机!</source>
        <translation>No printer is installed!</translation>
    </message>
    <message>
        <source>设置打印机</source>
        <translation>Printer setup</translation>
    </message>
</context>
<context>
    <name>ReviewMouse</name>
    <message>
        <source>修改列宽</source>
        <translation>Column width</translation>
    </message>
    <message>
        <source>修改行高</source>
        <translation>Row height</translation>
    </message>
</context>
<context>
    <name>ReviewNavigation</name>
    <message>
        <source>输入页号后按回车键浏览该页</source>
        <translation>Type a page number and press Enter to go to that page</translation>
    </message>
</context>
<context>
    <name>ReviewViewCommands</name>
    <message>
        <source>%1% 适合页宽</source>
        <translation>%1% Fit width</translation>
    </message>
    <message>
        <source>%1% 适合整页</source>
        <translation>%1% Fit page</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>设计</source>
        <translation>Design</translation>
    </message>
</context>
<context>
    <name>SearchBar</name>
    <message>
        <source>查找:</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>上一个 (Shift+F3)</source>
        <translation>Previous (Shift+F3)</translation>
    </message>
    <message>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>下一个 (F3)</source>
        <translation>Next (F3)</translation>
    </message>
    <message>
        <source>区分大小写</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>全字匹配</source>
        <translation>Whole words</translation>
    </message>
    <message>
        <source>关闭 (Esc)</source>
        <translation>Close (Esc)</translation>
    </message>
    <message>
        <source>没有找到</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>第%1个，已找到%2个</source>
        <translation>%1 of %2 found so far</translation>
    </message>
    <message>
        <source>第%1个，共%2个</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>已找到%1个</source>
        <translation>%1 found</translation>
    </message>
    <message>
        <source>（正在查找第%1页，共%2页）</source>
        <translation> (searching page %1 of %2)</translation>
    </message>
    <message>
        <source>（已停止查找）</source>
        <translation> (search stopped)</translation>
    </message>
    <message>
        <source>（只能浏览前%1页中的结果）</source>
        <translation> (only the matches on the first %1 pages can be visited)</translation>
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
<context>
    <name>ViewSettings</name>
    <message>
        <source>无法把窗口设置保存到“%1”，%2。缩放、缩略图和查找选项下次启动时不会恢复</source>
        <translation>Cannot save the window settings to &quot;%1&quot;: %2. Zoom, thumbnails and find options will not be restored at the next start</translation>
    </message>
</context>
<context>
    <name>XlsxReportFile</name>
    <message>
        <source>无法写入%1文件“%2”，%3</source>
        <translation>Cannot write the %1 file &quot;%2&quot;: %3</translation>
    </message>
</context>
</TS>
