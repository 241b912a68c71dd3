<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>TAboutBox</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>版本:0.6</source>
        <translation>Ver. 0.6</translation>
    </message>
</context>
<context>
    <name>TBrowseItem</name>
    <message>
        <source>浏览选项设置</source>
        <translation>Browsing Options</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>.exe可执行程序</source>
        <translation>.exe programs</translation>
    </message>
    <message>
        <source>.dll动态链接库</source>
        <translation>.dll libraries</translation>
    </message>
    <message>
        <source>.bpl Borland 包库</source>
        <translation>.bpl Borland packages</translation>
    </message>
    <message>
        <source>.ocx对象控件程序</source>
        <translation>.ocx controls</translation>
    </message>
    <message>
        <source>.icl 图标库</source>
        <translation>.icl libraries</translation>
    </message>
    <message>
        <source>.cpl 控制面板程序</source>
        <translation>.cpl Control Panel</translation>
    </message>
    <message>
        <source>.scr 屏幕保护程序</source>
        <translation>.scr screen savers</translation>
    </message>
    <message>
        <source>.drv 驱动程序</source>
        <translation>.drv drivers</translation>
    </message>
    <message>
        <source>.bmp 位图文件</source>
        <translation>.bmp bitmaps</translation>
    </message>
    <message>
        <source>.jpg|.jpeg 压缩文件</source>
        <translation>.jpg|.jpeg images</translation>
    </message>
    <message>
        <source>.ico 图标文件</source>
        <translation>.ico icon files</translation>
    </message>
</context>
<context>
    <name>TExtractionTexts</name>
    <message>
        <source>这个文件没有可提取的图标资源!</source>
        <translation>This file has no icons to extract.</translation>
    </message>
    <message>
        <source>%1个同名图标文件已存在。
要替换它们吗？</source>
        <translation>%1 icon files of the same names already exist.
Do you want to replace them?</translation>
    </message>
    <message>
        <source>正在从文件中提取图标...</source>
        <translation>Extracting icons from the file...</translation>
    </message>
    <message>
        <source>正在从文件中提取图标...(%1/%2)</source>
        <translation>Extracting icons from the file... (%1/%2)</translation>
    </message>
    <message>
        <source>一共%1个图标，全部提取成功！</source>
        <translation>All %1 icons extracted.</translation>
    </message>
    <message>
        <source>一共%1个图标，成功提取%2个，%3个提取失败！</source>
        <translation>%1 icons: %2 extracted, %3 failed.</translation>
    </message>
    <message>
        <source>请不要选择被提取文件夹存放图标，请重新选择另外一个文件夹来存放图标！</source>
        <translation>Do not store the icons in the folder being extracted. Please choose another folder for them.</translation>
    </message>
    <message>
        <source>正在从文件夹%1中提取图标...</source>
        <translation>Extracting icons from the folder %1...</translation>
    </message>
    <message>
        <source>正在从多级文件夹中提取图标...</source>
        <translation>Extracting icons from the folder tree...</translation>
    </message>
    <message>
        <source>一共提取%1个图标，%2个提取失败！</source>
        <translation>%1 icons extracted, %2 failed.</translation>
    </message>
    <message>
        <source>一共提取%1个图标！</source>
        <translation>%1 icons extracted.</translation>
    </message>
    <message>
        <source>提取格式(&amp;E)</source>
        <translation>&amp;Extraction Format</translation>
    </message>
    <message>
        <source>16色图标(&amp;1)</source>
        <translation>&amp;1 16-Colour Icon</translation>
    </message>
    <message>
        <source>原始图标(&amp;2)</source>
        <translation>&amp;2 Original Icon</translation>
    </message>
    <message>
        <source>PNG 图像(&amp;3)</source>
        <translation>&amp;3 PNG Image</translation>
    </message>
    <message>
        <source>正在提取：已处理%1个文件，提取%2个图标……</source>
        <translation>Extracting: %1 files read, %2 icons extracted...</translation>
    </message>
    <message>
        <source>提取已取消：一共提取%1个图标，%2个提取失败！</source>
        <translation>Extraction cancelled: %1 icons extracted, %2 failed.</translation>
    </message>
    <message>
        <source>一共%1个图标，成功提取%2个，保留%3个已有的同名文件，%4个提取失败！</source>
        <translation>%1 icons: %2 extracted, %3 existing files kept, %4 failed.</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>找不到帮助文件：</source>
        <translation>Cannot find the help file: </translation>
    </message>
    <message>
        <source>无法浏览%1：%2</source>
        <translation>Cannot browse %1: %2</translation>
    </message>
    <message>
        <source>Glimmerwick 使用说明</source>
        <translation>Glimmerwick Help</translation>
    </message>
    <message>
        <source>一共%1个图标可供浏览！</source>
        <translation>%1 icons to browse.</translation>
    </message>
    <message>
        <source>正在查找可显示的图标资源...</source>
        <translation>Looking for icons to show...</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>浏览(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>设置(&amp;S)</source>
        <translation>&amp;Setup</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>向上</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>浏览上一级文件夹</source>
        <translation>Browse the parent folder</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存当前正在浏览的图标为文件</source>
        <translation>Save the icon being viewed as a file</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>退出Glimmerwick</source>
        <translation>Exit Glimmerwick</translation>
    </message>
    <message>
        <source>第一个</source>
        <translation>First</translation>
    </message>
    <message>
        <source>浏览在列表中显示的第一个图标</source>
        <translation>View the first icon shown in the list</translation>
    </message>
    <message>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>浏览上一个图标</source>
        <translation>View the previous icon</translation>
    </message>
    <message>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>浏览下一个图标</source>
        <translation>View the next icon</translation>
    </message>
    <message>
        <source>最后一个</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>浏览在列表中显示的最后一个图标</source>
        <translation>View the last icon shown in the list</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>使用说明帮助</source>
        <translation>Help on using Glimmerwick</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>关于Glimmerwick</source>
        <translation>About Glimmerwick</translation>
    </message>
    <message>
        <source>双击保存</source>
        <translation>Double-click to save</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>文件大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>图标序号</source>
        <translation>Icon No.</translation>
    </message>
    <message>
        <source>图标文件(*.ico)|*.ico|原始图标(*.ico)|*.ico|PNG 图像(*.png)|*.png</source>
        <translation>Icon file (*.ico)|*.ico|Original icon (*.ico)|*.ico|PNG image (*.png)|*.png</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>删除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>第一个(&amp;F)</source>
        <translation>&amp;First</translation>
    </message>
    <message>
        <source>上一个(&amp;B)</source>
        <translation>&amp;Back</translation>
    </message>
    <message>
        <source>下一个(&amp;N)</source>
        <translation>&amp;Next</translation>
    </message>
    <message>
        <source>最后一个(&amp;L)</source>
        <translation>&amp;Last</translation>
    </message>
    <message>
        <source>浏览选项(&amp;O)...</source>
        <translation>Browsing &amp;Options...</translation>
    </message>
    <message>
        <source>最后一次访问路径记忆(&amp;L)</source>
        <translation>Remember &amp;Last Folder</translation>
    </message>
    <message>
        <source>使用说明(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于&amp;Glimmerwick...</source>
        <translation>About &amp;Glimmerwick...</translation>
    </message>
    <message>
        <source>最后一次访问记忆(&amp;L)</source>
        <translation>Remember &amp;Last Folder</translation>
    </message>
    <message>
        <source>关于Glimmerwick...</source>
        <translation>About Glimmerwick...</translation>
    </message>
    <message>
        <source>预览(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>浏览该图标资源。</source>
        <translation>View this icon.</translation>
    </message>
    <message>
        <source>将该图标保存为文件。</source>
        <translation>Save this icon as a file.</translation>
    </message>
    <message>
        <source>删除这个文件。</source>
        <translation>Delete this file.</translation>
    </message>
    <message>
        <source>提取所有图标(&amp;A)</source>
        <translation>Extract &amp;All Icons</translation>
    </message>
    <message>
        <source>提取所选文件中包含的所有图标。</source>
        <translation>Extract all icons of the selected file.</translation>
    </message>
    <message>
        <source>在列表中显示的第一个图标。</source>
        <translation>The first icon shown in the list.</translation>
    </message>
    <message>
        <source>显示上一个图标。</source>
        <translation>Show the previous icon.</translation>
    </message>
    <message>
        <source>显示下一个图标。</source>
        <translation>Show the next icon.</translation>
    </message>
    <message>
        <source>在列表中显示的最后一个图标。</source>
        <translation>The last icon shown in the list.</translation>
    </message>
    <message>
        <source>上一级文件夹(&amp;U)</source>
        <translation>&amp;Up One Folder</translation>
    </message>
    <message>
        <source>返回上一级文件夹进行浏览。</source>
        <translation>Go back to the parent folder.</translation>
    </message>
    <message>
        <source>从文件夹中提取</source>
        <translation>Extract from Folder</translation>
    </message>
    <message>
        <source>从该文件夹中提取所有exe文件和dll文件中包含的图标。(不包含子文件夹)</source>
        <translation>Extract the icons of all exe and dll files in this folder. (Without subfolders)</translation>
    </message>
    <message>
        <source>从多级文件夹中提取(包含子文件夹)</source>
        <translation>Extract from Folder Tree (with Subfolders)</translation>
    </message>
    <message>
        <source>从该文件夹中提取所有exe文件和dll文件中包含的图标。(包含子文件夹)</source>
        <translation>Extract the icons of all exe and dll files in this folder. (With subfolders)</translation>
    </message>
    <message>
        <source>确定要删除%1，这会删除整个文件？</source>
        <translation>Delete %1? This deletes the whole file.</translation>
    </message>
    <message>
        <source>%1，图标%2</source>
        <translation>%1, icon %2</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Tool bar</translation>
    </message>
    <message>
        <source>状态栏</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>驱动器</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>图标列表</source>
        <translation>Icons</translation>
    </message>
    <message>
        <source>取消提取(&amp;C)</source>
        <translation>&amp;Cancel Extraction</translation>
    </message>
    <message>
        <source>详细信息(&amp;I)...</source>
        <translation>Deta&amp;ils...</translation>
    </message>
    <message>
        <source>查看该图标的每一种尺寸和颜色。</source>
        <translation>See every size and colour depth of this icon.</translation>
    </message>
</context>
<context>
    <name>TIconInspector</name>
    <message>
        <source>无法解码该图像。</source>
        <translation>This image cannot be decoded.</translation>
    </message>
    <message>
        <source>无法读取该文件。</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>图标详情</source>
        <translation>Icon Details</translation>
    </message>
    <message>
        <source>图像</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>无法读取该图标。</source>
        <translation>This icon cannot be read.</translation>
    </message>
    <message>
        <source>该图标的图像超过每组64 MiB的上限。</source>
        <translation>The icon's images exceed the limit of 64 MiB a group.</translation>
    </message>
    <message>
        <source>内存不足，无法读取该图标。</source>
        <translation>There is not enough memory to read this icon.</translation>
    </message>
    <message>
        <source>保存为PNG(&amp;P)...</source>
        <translation>Save as &amp;PNG...</translation>
    </message>
    <message>
        <source>保存原始图标(&amp;O)...</source>
        <translation>Save &amp;Original Icon...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1，图标%2</source>
        <translation>%1, icon %2</translation>
    </message>
    <message>
        <source>图标文件</source>
        <translation>Icon file</translation>
    </message>
    <message>
        <source>图标组：%1</source>
        <translation>Icon group: %1</translation>
    </message>
    <message>
        <source>语言：%1</source>
        <translation>Language: %1</translation>
    </message>
    <message>
        <source>（另有%1）</source>
        <translation> (also %1)</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>另有%1处</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>文件有损坏之处：</source>
        <translation>The file is damaged:</translation>
    </message>
    <message>
        <source>PNG 图像(*.png)|*.png</source>
        <translation>PNG image (*.png)|*.png</translation>
    </message>
    <message>
        <source>原始图标(*.ico)|*.ico</source>
        <translation>Original icon (*.ico)|*.ico</translation>
    </message>
</context>
<context>
    <name>TImageEntryList</name>
    <message>
        <source>%1 × %2</source>
        <translation>%1 × %2</translation>
    </message>
    <message>
        <source>%1位 %2</source>
        <translation>%1-bit %2</translation>
    </message>
    <message>
        <source>%1字节</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>%1个条目共用</source>
        <translation>named by %1 entries</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>无法显示该图像。</source>
        <translation>This image cannot be shown.</translation>
    </message>
</context>
<context>
    <name>TNeoForm</name>
    <message>
        <source>窗口图标</source>
        <translation>Window Icon</translation>
    </message>
    <message>
        <source>双击关闭窗口</source>
        <translation>Double-click closes the window</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TOutputFolder</name>
    <message>
        <source>选择存放图标的文件夹：</source>
        <translation>Choose a folder for the icons:</translation>
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
        <source>驱动器</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>Folders</translation>
    </message>
</context>
<context>
    <name>TSaveFile</name>
    <message>
        <source>无法写入该文件：%1</source>
        <translation>The file cannot be written: %1</translation>
    </message>
    <message>
        <source>%1 已存在。
要替换它吗？</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>确认另存为</source>
        <translation>Confirm Save As</translation>
    </message>
    <message>
        <source>不支持这种格式的图标文件！</source>
        <translation>This icon file format is not supported.</translation>
    </message>
</context>
</TS>
