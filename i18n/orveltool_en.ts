<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AboutForm</name>
    <message>
        <source>关于 OrvelTool</source>
        <translation>About OrvelTool</translation>
    </message>
    <message>
        <source>OrvelTool 1.0 版</source>
        <translation>OrvelTool version 1.0</translation>
    </message>
    <message>
        <source>版权所有 (C) 2026</source>
        <translation>Copyright (C) 2026</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CoreText</name>
    <message>
        <source>串口没有打开，请重新选择串口</source>
        <translation>Serial port not open, please select a serial port</translation>
    </message>
    <message>
        <source>通信错误</source>
        <translation>Communication error</translation>
    </message>
    <message>
        <source>格式出错</source>
        <translation>Format error</translation>
    </message>
    <message>
        <source>接收数据超时</source>
        <translation>Receive timeout</translation>
    </message>
    <message>
        <source>数据校验错</source>
        <translation>Data checksum error</translation>
    </message>
    <message>
        <source>***正确写入数据***</source>
        <translation>***Data written correctly***</translation>
    </message>
    <message>
        <source>写入特定数据 失败</source>
        <translation>Writing special data failed</translation>
    </message>
    <message>
        <source>特定数据格式错误，未写入</source>
        <translation>Special data malformed, not written</translation>
    </message>
    <message>
        <source>校验：读回数据…</source>
        <translation>Verify: reading the radio back…</translation>
    </message>
    <message>
        <source>校验正确</source>
        <translation>Verify OK</translation>
    </message>
    <message>
        <source>校验错误：数据校验错</source>
        <translation>Verify error: data checksum error</translation>
    </message>
    <message>
        <source>***接收频率数据非法***</source>
        <translation>***Receive frequency invalid***</translation>
    </message>
    <message>
        <source>***发送频率数据非法***</source>
        <translation>***Transmit frequency invalid***</translation>
    </message>
    <message>
        <source>***SQL数据非法***</source>
        <translation>***Squelch level invalid***</translation>
    </message>
    <message>
        <source>***功率级别数据非法***</source>
        <translation>***Power level invalid***</translation>
    </message>
    <message>
        <source>***数据/语音数据非法***</source>
        <translation>***Data/voice invalid***</translation>
    </message>
    <message>
        <source>***信道速率数据非法***</source>
        <translation>***Channel rate invalid***</translation>
    </message>
    <message>
        <source>信道号</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>接收频率</source>
        <translation>RX freq</translation>
    </message>
    <message>
        <source>发送频率</source>
        <translation>TX freq</translation>
    </message>
    <message>
        <source>发射频率</source>
        <translation>TX freq</translation>
    </message>
    <message>
        <source>功率级别</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>信道速率</source>
        <translation>Rate</translation>
    </message>
    <message>
        <source>数据/话音</source>
        <translation>Data/voice</translation>
    </message>
    <message>
        <source>静噪电平</source>
        <translation>Squelch</translation>
    </message>
    <message>
        <source>数据/话音优先</source>
        <translation>Data/voice priority</translation>
    </message>
    <message>
        <source>接收忙指示</source>
        <translation>RX busy indicator</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>发射VCO</source>
        <translation>TX VCO</translation>
    </message>
    <message>
        <source>遥控</source>
        <translation>Remote control</translation>
    </message>
    <message>
        <source>发射限时</source>
        <translation>TX time limit</translation>
    </message>
    <message>
        <source>省电模式</source>
        <translation>Power save</translation>
    </message>
    <message>
        <source>高-数据 低-话音</source>
        <translation>Data high, voice low</translation>
    </message>
    <message>
        <source>低-数据 高-话音</source>
        <translation>Data low, voice high</translation>
    </message>
    <message>
        <source>低-忙</source>
        <translation>Low = busy</translation>
    </message>
    <message>
        <source>高-忙</source>
        <translation>High = busy</translation>
    </message>
    <message>
        <source>低-打开</source>
        <translation>Low = open</translation>
    </message>
    <message>
        <source>高-打开</source>
        <translation>High = open</translation>
    </message>
    <message>
        <source>无校验</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>7位</source>
        <translation>7 bits</translation>
    </message>
    <message>
        <source>8位</source>
        <translation>8 bits</translation>
    </message>
    <message>
        <source>1位</source>
        <translation>1 bit</translation>
    </message>
    <message>
        <source>2位</source>
        <translation>2 bits</translation>
    </message>
    <message>
        <source>禁止</source>
        <translation>Disabled</translation>
    </message>
    <message>
        <source>允许</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Brisa科技打印系统</source>
        <translation>Brisa Technology printing system</translation>
    </message>
    <message>
        <source>当前数据设置列表</source>
        <translation>Current data settings</translation>
    </message>
    <message>
        <source> 信道%1</source>
        <translation>CH %1</translation>
    </message>
    <message>
        <source>接收数据[% %1]</source>
        <translation>Receiving data [%1%]</translation>
    </message>
    <message>
        <source>写入数据[% %1] 成功</source>
        <translation>Writing data [%1%] OK</translation>
    </message>
    <message>
        <source>写入数据[% %1] 失败</source>
        <translation>Writing data [%1%] failed</translation>
    </message>
    <message>
        <source>校验错误：字 %1</source>
        <translation>Verify error: word %1</translation>
    </message>
    <message>
        <source>数据设置 [信道%1]</source>
        <translation>Data set [channel %1]</translation>
    </message>
    <message>
        <source> ***正确接收数据***</source>
        <translation> ***Data received correctly***</translation>
    </message>
    <message>
        <source>rfc2217://主机:端口 — 本程序通过 RFC 2217 把服务器的串口设为 9600 波特、8 位数据、偶校验、1 位停止位</source>
        <translation>rfc2217://HOST:PORT — this program sets the server&apos;s port to 9600 baud, 8 data bits, even parity, 1 stop bit through RFC 2217</translation>
    </message>
    <message>
        <source>socket://主机:端口 — 服务器的串口已设置好，数据原样传送</source>
        <translation>socket://HOST:PORT — the server&apos;s port is set up already; data passes unchanged</translation>
    </message>
</context>
<context>
    <name>CurrentChannelForm</name>
    <message>
        <source>设置当前信道</source>
        <translation>Set Current Channel</translation>
    </message>
    <message>
        <source>读当前信道</source>
        <translation>Read Current</translation>
    </message>
    <message>
        <source>写当前信道</source>
        <translation>Write Current</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>通道号:</source>
        <translation>Channel:</translation>
    </message>
    <message>
        <source>静噪电平:</source>
        <translation>Squelch:</translation>
    </message>
    <message>
        <source>- - - - -</source>
        <translation>- - - - -</translation>
    </message>
    <message>
        <source>L1</source>
        <translation>L1</translation>
    </message>
    <message>
        <source>L2</source>
        <translation>L2</translation>
    </message>
    <message>
        <source>L3</source>
        <translation>L3</translation>
    </message>
    <message>
        <source>L4</source>
        <translation>L4</translation>
    </message>
    <message>
        <source>L5</source>
        <translation>L5</translation>
    </message>
    <message>
        <source>L6</source>
        <translation>L6</translation>
    </message>
    <message>
        <source>L7</source>
        <translation>L7</translation>
    </message>
    <message>
        <source>L8</source>
        <translation>L8</translation>
    </message>
    <message>
        <source>L9</source>
        <translation>L9</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>读文件出错：这不是普通文件，不能打开</source>
        <translation>Error reading the file: not a regular file, cannot open it</translation>
    </message>
    <message>
        <source>读文件出错：文件太大，最大 %1</source>
        <translation>Error reading the file: file too large, at most %1</translation>
    </message>
    <message>
        <source>读文件出错：%1</source>
        <translation>Error reading the file: %1</translation>
    </message>
    <message>
        <source>试图越过其尾端对 一未命名文件 进行读写。</source>
        <translation>An attempt was made to read or write past the end of an unnamed file.</translation>
    </message>
    <message>
        <source>文件打开[%1]</source>
        <translation>File opened [%1]</translation>
    </message>
    <message>
        <source>数据校验错</source>
        <translation>Data checksum error</translation>
    </message>
    <message>
        <source>无法保留原文件的副本，仍然保存？
%1
%2</source>
        <translation>No copy of the original file can be kept. Save anyway?
%1
%2</translation>
    </message>
    <message>
        <source>文件保存失败：%1
%2</source>
        <translation>Saving the file failed: %1
%2</translation>
    </message>
    <message>
        <source>文件没有发现</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>文件保存 [%1]</source>
        <translation>File saved [%1]</translation>
    </message>
    <message>
        <source>要保存当前文件吗?</source>
        <translation>Save the current file?</translation>
    </message>
    <message>
        <source>文件保存[%1]</source>
        <translation>File saved [%1]</translation>
    </message>
    <message>
        <source>打开 %1</source>
        <translation>Open %1</translation>
    </message>
    <message>
        <source>是否保存对信道数据的修改？</source>
        <translation>Save the changes to the channel data?</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>语言：中文（简体）</source>
        <translation>Language: English</translation>
    </message>
</context>
<context>
    <name>MainForm</name>
    <message>
        <source>消息</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>设置模式</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>发射限时</source>
        <translation>TX limit</translation>
    </message>
    <message>
        <source>数据/话音优先</source>
        <translation>Data/voice priority</translation>
    </message>
    <message>
        <source>接收忙指示</source>
        <translation>RX busy</translation>
    </message>
    <message>
        <source>发射VCO</source>
        <translation>TX VCO</translation>
    </message>
    <message>
        <source>FSQC</source>
        <translation>FSQC</translation>
    </message>
    <message>
        <source>Ext SQC</source>
        <translation>Ext SQC</translation>
    </message>
    <message>
        <source>串口设置</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>遥控</source>
        <translation>Remote control</translation>
    </message>
    <message>
        <source>省电模式</source>
        <translation>Power save</translation>
    </message>
    <message>
        <source>无校验</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>信道号:</source>
        <translation>Channel:</translation>
    </message>
    <message>
        <source>接收频率:</source>
        <translation>RX freq:</translation>
    </message>
    <message>
        <source>发送频率:</source>
        <translation>TX freq:</translation>
    </message>
    <message>
        <source>MHz</source>
        <translation>MHz</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>功率级别:</source>
        <translation>Power:</translation>
    </message>
    <message>
        <source>P1</source>
        <translation>P1</translation>
    </message>
    <message>
        <source>P2</source>
        <translation>P2</translation>
    </message>
    <message>
        <source>P3</source>
        <translation>P3</translation>
    </message>
    <message>
        <source>P4</source>
        <translation>P4</translation>
    </message>
    <message>
        <source>P5</source>
        <translation>P5</translation>
    </message>
    <message>
        <source>信道速率:</source>
        <translation>Rate:</translation>
    </message>
    <message>
        <source>1200</source>
        <translation>1200</translation>
    </message>
    <message>
        <source>2400</source>
        <translation>2400</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>静噪电平:</source>
        <translation>Squelch:</translation>
    </message>
    <message>
        <source>L1</source>
        <translation>L1</translation>
    </message>
    <message>
        <source>L2</source>
        <translation>L2</translation>
    </message>
    <message>
        <source>L3</source>
        <translation>L3</translation>
    </message>
    <message>
        <source>L4</source>
        <translation>L4</translation>
    </message>
    <message>
        <source>L5</source>
        <translation>L5</translation>
    </message>
    <message>
        <source>L6</source>
        <translation>L6</translation>
    </message>
    <message>
        <source>L7</source>
        <translation>L7</translation>
    </message>
    <message>
        <source>L8</source>
        <translation>L8</translation>
    </message>
    <message>
        <source>L9</source>
        <translation>L9</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>30</source>
        <translation>30</translation>
    </message>
    <message>
        <source>60</source>
        <translation>60</translation>
    </message>
    <message>
        <source>90</source>
        <translation>90</translation>
    </message>
    <message>
        <source>120</source>
        <translation>120</translation>
    </message>
    <message>
        <source>150</source>
        <translation>150</translation>
    </message>
    <message>
        <source>180</source>
        <translation>180</translation>
    </message>
    <message>
        <source>240</source>
        <translation>240</translation>
    </message>
    <message>
        <source>300</source>
        <translation>300</translation>
    </message>
    <message>
        <source>600</source>
        <translation>600</translation>
    </message>
    <message>
        <source>900</source>
        <translation>900</translation>
    </message>
    <message>
        <source>0.5</source>
        <translation>0.5</translation>
    </message>
    <message>
        <source>1.0</source>
        <translation>1.0</translation>
    </message>
    <message>
        <source>1.5</source>
        <translation>1.5</translation>
    </message>
    <message>
        <source>2.0</source>
        <translation>2.0</translation>
    </message>
    <message>
        <source>3.0</source>
        <translation>3.0</translation>
    </message>
    <message>
        <source>5.0</source>
        <translation>5.0</translation>
    </message>
    <message>
        <source>7.0</source>
        <translation>7.0</translation>
    </message>
    <message>
        <source>9.0</source>
        <translation>9.0</translation>
    </message>
    <message>
        <source>高-数据 低-话音</source>
        <translation>Data high, voice low</translation>
    </message>
    <message>
        <source>低-数据 高-话音</source>
        <translation>Data low, voice high</translation>
    </message>
    <message>
        <source>低-忙</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>高-忙</source>
        <translation>High</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>低-打开</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>高-打开</source>
        <translation>High</translation>
    </message>
    <message>
        <source>1200bps</source>
        <translation>1200bps</translation>
    </message>
    <message>
        <source>2400bps</source>
        <translation>2400bps</translation>
    </message>
    <message>
        <source>4800bps</source>
        <translation>4800bps</translation>
    </message>
    <message>
        <source>9600bps</source>
        <translation>9600bps</translation>
    </message>
    <message>
        <source>7位</source>
        <translation>7 bits</translation>
    </message>
    <message>
        <source>8位</source>
        <translation>8 bits</translation>
    </message>
    <message>
        <source>1位</source>
        <translation>1 bit</translation>
    </message>
    <message>
        <source>2位</source>
        <translation>2 bits</translation>
    </message>
    <message>
        <source>禁止</source>
        <translation>Disabled</translation>
    </message>
    <message>
        <source>允许</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>数据/话音:</source>
        <translation>Data/voice:</translation>
    </message>
    <message>
        <source>信道列表</source>
        <translation>Channel list</translation>
    </message>
</context>
<context>
    <name>ManualPage</name>
    <message>
        <source>使用手册</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>找不到使用手册，查找过：
%1</source>
        <translation>The manual was not found. Looked in:
%1</translation>
    </message>
</context>
<context>
    <name>PlanCommands</name>
    <message>
        <source>无法取得单元 %1 的方案：%2</source>
        <translation>Cannot get the plan of unit %1: %2</translation>
    </message>
    <message>
        <source>单元 %1 没有分配方案，没有打开</source>
        <translation>Unit %1 has no plan assigned; nothing was opened</translation>
    </message>
    <message>
        <source>方案 %1 第 %2 版</source>
        <translation>Plan %1 version %2</translation>
    </message>
    <message>
        <source>打开 %1</source>
        <translation>Open %1</translation>
    </message>
    <message>
        <source>%1 的数据校验错，没有打开</source>
        <translation>%1 fails its checksum; nothing was opened</translation>
    </message>
    <message>
        <source>打开 %1（没有文件）</source>
        <translation>Opened %1 (no file)</translation>
    </message>
    <message>
        <source>打开 %1（单元 %2）</source>
        <translation>Opened %1 (unit %2)</translation>
    </message>
</context>
<context>
    <name>PrintCommands</name>
    <message>
        <source>***打印开始***</source>
        <translation>***Printing started***</translation>
    </message>
    <message>
        <source>***打印结束***</source>
        <translation>***Printing finished***</translation>
    </message>
    <message>
        <source>打印设置</source>
        <translation>Print Setup</translation>
    </message>
</context>
<context>
    <name>RadioCommands</name>
    <message>
        <source>通信错误</source>
        <translation>Communication error</translation>
    </message>
    <message>
        <source>格式出错</source>
        <translation>Format error</translation>
    </message>
    <message>
        <source>接收数据超时</source>
        <translation>Receive timeout</translation>
    </message>
    <message>
        <source>串口没有打开，请重新选择串口</source>
        <translation>Serial port not open, please select a serial port</translation>
    </message>
    <message>
        <source>数据校验错</source>
        <translation>Data checksum error</translation>
    </message>
    <message>
        <source>正确写入数据</source>
        <translation>Data written correctly</translation>
    </message>
    <message>
        <source>通讯失败</source>
        <translation>Communication failed</translation>
    </message>
    <message>
        <source>校验失败：</source>
        <translation>Verify failed: </translation>
    </message>
    <message>
        <source>读取电台数据</source>
        <translation>Read radio data</translation>
    </message>
    <message>
        <source>信道数据</source>
        <translation>channel words</translation>
    </message>
    <message>
        <source>设置数据</source>
        <translation>settings words</translation>
    </message>
    <message>
        <source>特殊数据</source>
        <translation>special-data word</translation>
    </message>
    <message>
        <source>写入停在第 %1 帧（共 %2 帧，%3），电台可能已收下此前的各帧</source>
        <translation>The write stopped at frame %1 of %2 (%3); the radio may hold the frames before it</translation>
    </message>
    <message>
        <source>未输入单元标签，没有写入电台</source>
        <translation>No unit label was given; nothing was written to the radio</translation>
    </message>
    <message>
        <source>写入前读出电台失败，没有写入：%1</source>
        <translation>Reading the radio before the write failed; nothing was written: %1</translation>
    </message>
    <message>
        <source>已取消写入，电台保持原样</source>
        <translation>Write cancelled; the radio is left as it was</translation>
    </message>
    <message>
        <source>安全副本文件夹 %1 被另一个程序占用（已等待 %2 秒），没有写入电台</source>
        <translation>The folder of the safety copies %1 is held by another program (waited %2 s); nothing was written to the radio</translation>
    </message>
    <message>
        <source>写入的数据已编辑，不是方案 %1 第 %2 版的原样</source>
        <translation>The data written was edited: it is not Plan %1 version %2 as it is</translation>
    </message>
</context>
<context>
    <name>RadioRecords</name>
    <message>
        <source>编程记录只存在本机：INI 的 Record= 无法使用：%1</source>
        <translation>Programming record kept on this computer only: Record= of the INI cannot be used: %1</translation>
    </message>
    <message>
        <source>编程记录：发往 %1 的记录不加密传输（URL 中写明 sslmode=%2）</source>
        <translation>Programming record: records to %1 travel unencrypted (sslmode=%2 in the URL)</translation>
    </message>
    <message>
        <source>%1：刚才连接不上，暂不重试</source>
        <translation>%1: not reached a moment ago, not tried again yet</translation>
    </message>
    <message>
        <source>编程记录：待发区的 %1 条记录已送到 %2</source>
        <translation>Programming records: %1 from the outbox sent to %2</translation>
    </message>
    <message>
        <source>编程记录：%1 暂存于待发区 %2，等服务器收下：%3</source>
        <translation>Programming record: %1 waits in the outbox %2 until the server takes it: %3</translation>
    </message>
    <message>
        <source>编程记录：%1 无处保存：%2</source>
        <translation>Programming record: %1 is kept nowhere: %2</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>编程记录：INI 的 %1= 不能使用（最长 %2 字节，不含控制字符），已改用默认值</source>
        <translation>Programming record: %1= of the INI cannot be used (at most %2 bytes, no control characters); the default is used instead</translation>
    </message>
</context>
<context>
    <name>SettingsPanel</name>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>设置 %1</source>
        <translation>Set %1</translation>
    </message>
</context>
<context>
    <name>TransferCommands</name>
    <message>
        <source>只能导入 .json 或 .csv 文件：%1</source>
        <translation>Only .json or .csv files can be imported: %1</translation>
    </message>
    <message>
        <source>导入失败：%1</source>
        <translation>Import failed: %1</translation>
    </message>
    <message>
        <source>文件导入[%1]</source>
        <translation>File imported [%1]</translation>
    </message>
    <message>
        <source>导入 %1</source>
        <translation>Import %1</translation>
    </message>
    <message>
        <source>导出失败：只能导出 .json 或 .csv 文件：%1</source>
        <translation>Export failed: only .json or .csv files can be exported: %1</translation>
    </message>
    <message>
        <source>文件导出[%1]</source>
        <translation>File exported [%1]</translation>
    </message>
    <message>
        <source>一次只能拖入一个文件，只打开第一个：%1</source>
        <translation>Only one file can be dropped at a time; opening the first: %1</translation>
    </message>
    <message>
        <source>文件不存在，已从最近文件列表中移除：%1</source>
        <translation>File not found, removed from the recent files: %1</translation>
    </message>
    <message>
        <source>只能打开 .dat 文件或导入 .json、.csv 文件：%1</source>
        <translation>Only .dat files can be opened, or .json and .csv files imported: %1</translation>
    </message>
    <message>
        <source>导出失败：这些数据导出后不能原样导入，没有写入文件：%1</source>
        <translation>Export failed: the file would not import back as it is, so nothing was written: %1</translation>
    </message>
    <message>
        <source>空白</source>
        <translation>an empty cell</translation>
    </message>
    <message>
        <source>信道%1，%2</source>
        <translation>channel %1, %2</translation>
    </message>
    <message>
        <source>校验和：文件中为 %1，算得 %2；导出的文件将没有任何信道</source>
        <translation>checksum: stored %1, computed %2; the file would hold none of the channels</translation>
    </message>
    <message>
        <source>%1：字节 %2 显示为 %3，导入后成为 %4</source>
        <translation>%1: byte(s) %2 shown as %3 read back as %4</translation>
    </message>
    <message>
        <source>%1：字节 %2 显示为 %3，导入时不被接受</source>
        <translation>%1: byte(s) %2 shown as %3, which an import refuses</translation>
    </message>
    <message>
        <source>%1：代码 %2 显示为 %3，导入后成为 %4</source>
        <translation>%1: code %2 shown as %3 reads back as %4</translation>
    </message>
    <message>
        <source>设置：第 %1 字节为 %2，其中的位 %3 没有设置显示</source>
        <translation>settings: image byte %1 holds %2, whose bits %3 no setting shows</translation>
    </message>
    <message>
        <source>导出的文件不能导入：%1</source>
        <translation>the file would not read back: %1</translation>
    </message>
    <message>
        <source>导入后不是原来的字节</source>
        <translation>the file would not read back as the same bytes</translation>
    </message>
</context>
<context>
    <name>ViewDialogs</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
<context>
    <name>orvel::CMainFrame</name>
    <message>
        <source>Orvel系列电台设置工具</source>
        <translation>Orvel Series Radio Setup Tool</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>通信(&amp;C)</source>
        <translation>&amp;Communication</translation>
    </message>
    <message>
        <source>选择串口</source>
        <translation>Select Serial Port</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于OrvelTool</source>
        <translation>About OrvelTool</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>通信进度</source>
        <translation>Communication progress</translation>
    </message>
    <message>
        <source>信道</source>
        <translation>Channels</translation>
    </message>
</context>
<context>
    <name>orvel::COrvelToolView</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>今天日期:%1年%2月%3日 </source>
        <translation>Date: %1-%2-%3 </translation>
    </message>
    <message>
        <source>当前时间:%1</source>
        <translation>Time: %1</translation>
    </message>
    <message>
        <source>****正在初始化****</source>
        <translation>****Initialising****</translation>
    </message>
    <message>
        <source>模式:Proper </source>
        <translation>Mode: Proper </translation>
    </message>
    <message>
        <source>****初始化结束****</source>
        <translation>****Initialisation done****</translation>
    </message>
    <message>
        <source>数据清除[信道1]</source>
        <translation>Data cleared [channel 1]</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>不保存(&amp;N)</source>
        <translation>Do&amp;n&apos;t Save</translation>
    </message>
    <message>
        <source>CSV 信道表 (*.csv)</source>
        <translation>CSV channel table (*.csv)</translation>
    </message>
    <message>
        <source>JSON 全部设置 (*.json)</source>
        <translation>JSON, all settings (*.json)</translation>
    </message>
    <message>
        <source>CSV 或 JSON (*.csv *.json)</source>
        <translation>CSV or JSON (*.csv *.json)</translation>
    </message>
    <message>
        <source>串口号:%1</source>
        <translation>Serial port: %1</translation>
    </message>
    <message>
        <source>打开 %1</source>
        <translation>Open %1</translation>
    </message>
    <message>
        <source>打开 %1（新文档，尚未保存）</source>
        <translation>Opened %1 (a new document, not saved yet)</translation>
    </message>
    <message>
        <source>方案 %1 第 %2 版</source>
        <translation>Plan %1 version %2</translation>
    </message>
    <message>
        <source>单元 %1 — %2</source>
        <translation>Unit %1 — %2</translation>
    </message>
</context>
<context>
    <name>orvel::ChannelEditor</name>
    <message>
        <source>***清除信道数据***<byte value="xd"/>
</source>
        <translation>***Channel data cleared***</translation>
    </message>
    <message>
        <source>信道%1的修改尚未确认，是否先确认后写入？</source>
        <translation>The changes to channel %1 are not confirmed yet. Confirm them before writing?</translation>
    </message>
    <message>
        <source>数据设置 [信道%1]</source>
        <translation>Data set [channel %1]</translation>
    </message>
    <message>
        <source>清除信道数据</source>
        <translation>Channel data cleared</translation>
    </message>
    <message>
        <source>缺省</source>
        <translation>Defaults</translation>
    </message>
</context>
<context>
    <name>orvel::CompareDialog</name>
    <message>
        <source>（空）</source>
        <translation>(empty)</translation>
    </message>
    <message>
        <source>头部: </source>
        <translation>Header: </translation>
    </message>
    <message>
        <source>备用区%1: 字节 %2 </source>
        <translation>Spare area %1: byte %2 </translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>信道%1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>无差异</source>
        <translation>No differences</translation>
    </message>
    <message>
        <source>与电台比较</source>
        <translation>Compare with Radio</translation>
    </message>
    <message>
        <source>窗口中的数据 -&gt; 电台中的数据</source>
        <translation>Data in the window -&gt; data in the radio</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>写入前比较</source>
        <translation>Compare Before Write</translation>
    </message>
    <message>
        <source>写入将改变电台中的这些数据（电台中的数据 -&gt; 写入的数据）：</source>
        <translation>The write changes these data in the radio (the radio&apos;s data -&gt; the data written):</translation>
    </message>
    <message>
        <source>写入(&amp;W)</source>
        <translation>&amp;Write</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>orvel::CurrentChannelDialog</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>成功接收数据<byte value="xd"/>
</source>
        <translation>Data received</translation>
    </message>
    <message>
        <source>写入数据成功<byte value="xd"/>
</source>
        <translation>Write OK</translation>
    </message>
    <message>
        <source>写入数据失败<byte value="xd"/>
</source>
        <translation>Write failed</translation>
    </message>
</context>
<context>
    <name>orvel::Document</name>
    <message>
        <source>撤销：%1</source>
        <translation>Undo: %1</translation>
    </message>
    <message>
        <source>重做：%1</source>
        <translation>Redo: %1</translation>
    </message>
</context>
<context>
    <name>orvel::FillDialog</name>
    <message>
        <source>批量设置</source>
        <translation>Fill Channels</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>信道:</source>
        <translation>Channels:</translation>
    </message>
    <message>
        <source>起始接收频率:</source>
        <translation>Start RX freq:</translation>
    </message>
    <message>
        <source>步进:</source>
        <translation>Step:</translation>
    </message>
    <message>
        <source>收发频差:</source>
        <translation>TX offset:</translation>
    </message>
    <message>
        <source>未勾选的项保留各信道原有的值；原来没有值的信道取所显示的值。</source>
        <translation>Unchecked items keep each channel&apos;s own value; a channel without one takes the value shown.</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Note</translation>
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
        <source>%1 个信道不符合要求，将保持原样</source>
        <translation>%1 channel(s) do not pass the checks and stay as they are</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>%1：用于全部信道</source>
        <translation>%1: for all channels</translation>
    </message>
</context>
<context>
    <name>orvel::FindRadioDialog</name>
    <message>
        <source>无应答</source>
        <translation>No answer</translation>
    </message>
    <message>
        <source>格式出错</source>
        <translation>Format error</translation>
    </message>
    <message>
        <source>被占用</source>
        <translation>In use</translation>
    </message>
    <message>
        <source>无权限</source>
        <translation>No permission</translation>
    </message>
    <message>
        <source>不是串口</source>
        <translation>Not a serial port</translation>
    </message>
    <message>
        <source>不存在</source>
        <translation>Missing</translation>
    </message>
    <message>
        <source>查找电台</source>
        <translation>Find Radio</translation>
    </message>
    <message>
        <source>正在查找电台，请稍候……</source>
        <translation>Looking for the radio, please wait…</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>电台</source>
        <translation>Radio</translation>
    </message>
    <message>
        <source>（当前）</source>
        <translation> (current)</translation>
    </message>
    <message>
        <source>查找中…</source>
        <translation>Searching…</translation>
    </message>
    <message>
        <source>使用此串口</source>
        <translation>Use This Port</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>查找完毕：没有电台应答。请检查电缆、电台电源和串口权限。</source>
        <translation>Search done: no radio answered. Check the cable, the radio’s power and the permission to use the ports.</translation>
    </message>
    <message>
        <source>查找完毕：%1 个串口，%2 台电台应答。</source>
        <translation>Search done: a radio answered on %2 of %1 ports.</translation>
    </message>
</context>
<context>
    <name>orvel::FleetDialog</name>
    <message>
        <source>机群状态</source>
        <translation>Fleet Status</translation>
    </message>
    <message>
        <source>单元计数</source>
        <translation>Unit counts</translation>
    </message>
    <message>
        <source>站点</source>
        <translation>Site</translation>
    </message>
    <message>
        <source>方案</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>站点(&amp;S)：</source>
        <translation>&amp;Site:</translation>
    </message>
    <message>
        <source>方案(&amp;P)：</source>
        <translation>&amp;Plan:</translation>
    </message>
    <message>
        <source>单元</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>检查进度</source>
        <translation>Check progress</translation>
    </message>
    <message>
        <source>%v / %m 个单元</source>
        <translation>%v / %m units</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>检查(&amp;C)</source>
        <translation>&amp;Check</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>写入选中单元(&amp;W)</source>
        <translation>&amp;Write Chosen Units</translation>
    </message>
    <message>
        <source>写入选中单元</source>
        <translation>Write Chosen Units</translation>
    </message>
    <message>
        <source>取消(&amp;X)</source>
        <translation>Cance&amp;l</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>记录(&amp;R)...</source>
        <translation>&amp;Records...</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>无法读取单元：%1</source>
        <translation>The units cannot be read: %1</translation>
    </message>
    <message>
        <source>选中的单元没有版本过旧或与方案不同的，没有写入</source>
        <translation>None of the chosen units is out of date or differs from its plan; nothing was written</translation>
    </message>
    <message>
        <source>将写入 %1 台电台。继续吗？</source>
        <translation>Radios to write: %1. Go on?</translation>
    </message>
    <message>
        <source>正在检查...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>正在写入...</source>
        <translation>Writing...</translation>
    </message>
    <message>
        <source>已取消：%1 个单元没有检查</source>
        <translation>Cancelled: units not checked: %1</translation>
    </message>
    <message>
        <source>正在取消：进行中的单元完成后停止</source>
        <translation>Cancelling: it stops once the units in progress are done</translation>
    </message>
</context>
<context>
    <name>orvel::FleetTableModel</name>
    <message>
        <source>持有 %1</source>
        <translation>holds %1</translation>
    </message>
    <message>
        <source>符合方案</source>
        <translation>in plan</translation>
    </message>
    <message>
        <source>版本过旧</source>
        <translation>out of date</translation>
    </message>
    <message>
        <source>与方案不同</source>
        <translation>differs</translation>
    </message>
    <message>
        <source>无法连接</source>
        <translation>unreachable</translation>
    </message>
    <message>
        <source>没有方案</source>
        <translation>no plan</translation>
    </message>
    <message>
        <source>没有端口</source>
        <translation>no port</translation>
    </message>
    <message>
        <source>尚未检查</source>
        <translation>not yet checked</translation>
    </message>
    <message>
        <source>已写入</source>
        <translation>written</translation>
    </message>
    <message>
        <source>写入失败</source>
        <translation>write failed</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message numerus="yes">
        <source>%n 个单元</source>
        <translation>
            <numerusform>%n unit</numerusform>
            <numerusform>%n units</numerusform>
        </translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>单元</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>站点</source>
        <translation>Site</translation>
    </message>
    <message>
        <source>方案</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>持有的版本或原因</source>
        <translation>Holds, or Why</translation>
    </message>
    <message>
        <source>最近检查 (UTC)</source>
        <translation>Last Seen (UTC)</translation>
    </message>
    <message>
        <source>由其他工作台处理</source>
        <translation>claimed elsewhere</translation>
    </message>
</context>
<context>
    <name>orvel::HelpWindow</name>
    <message>
        <source>查找(&amp;F):</source>
        <translation>&amp;Find:</translation>
    </message>
    <message>
        <source>无法打开帮助文件 %1：%2</source>
        <translation>Cannot open the help file %1: %2</translation>
    </message>
    <message>
        <source>已从头开始查找</source>
        <translation>Search started again from the top</translation>
    </message>
    <message>
        <source>找不到“%1”</source>
        <translation>“%1” not found</translation>
    </message>
</context>
<context>
    <name>orvel::NetworkPortDialog</name>
    <message>
        <source>网络串口</source>
        <translation>Network port</translation>
    </message>
    <message>
        <source>串口服务器上电台所接串口的地址(&amp;A)：</source>
        <translation>&amp;Address of the radio&apos;s port on the serial device server:</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>地址无效：%1</source>
        <translation>Invalid address: %1</translation>
    </message>
</context>
<context>
    <name>orvel::PlanLibraryDialog</name>
    <message>
        <source>方案库</source>
        <translation>Plan Library</translation>
    </message>
    <message>
        <source>方案保存在：%1</source>
        <translation>Plans are kept in: %1</translation>
    </message>
    <message>
        <source>方案</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>添加时间 (UTC)</source>
        <translation>Added (UTC)</translation>
    </message>
    <message>
        <source>工作站</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>打开(&amp;O)</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>添加当前文档(&amp;A)...</source>
        <translation>&amp;Add Current Document...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>方案名称：</source>
        <translation>Plan name:</translation>
    </message>
    <message>
        <source>无法读取方案库：%1</source>
        <translation>Cannot read the plan library: %1</translation>
    </message>
    <message>
        <source>%1 个方案，共 %2 个版本</source>
        <translation>Plans: %1, versions in all: %2</translation>
    </message>
    <message>
        <source>没有添加方案：%1</source>
        <translation>No plan was added: %1</translation>
    </message>
    <message>
        <source>已添加方案 %1 第 %2 版</source>
        <translation>Plan %1 version %2 added</translation>
    </message>
    <message>
        <source>方案 %1 第 %2 版已是这些数据，没有添加新版本</source>
        <translation>Plan %1 version %2 already holds these bytes; no version was added</translation>
    </message>
</context>
<context>
    <name>orvel::PortController</name>
    <message>
        <source>串口 %1 不存在</source>
        <translation>Serial port %1 does not exist</translation>
    </message>
    <message>
        <source>%1 不是串口</source>
        <translation>%1 is not a serial port</translation>
    </message>
    <message>
        <source>串口 %1 正被其他程序占用</source>
        <translation>Serial port %1 is in use by another program</translation>
    </message>
    <message>
        <source>没有使用串口 %1 的权限</source>
        <translation>No permission to use serial port %1</translation>
    </message>
    <message>
        <source>，请把当前用户加入 %1 组（sudo usermod -aG %1 $USER）后重新登录</source>
        <translation>; add the user to the group %1 (sudo usermod -aG %1 $USER) and log in again</translation>
    </message>
    <message>
        <source>串口 %1 无法打开：%2</source>
        <translation>Serial port %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>串口已断开：%1</source>
        <translation>Serial port disconnected: %1</translation>
    </message>
    <message>
        <source>跟踪文件无法写入：%1</source>
        <translation>Cannot write the trace file: %1</translation>
    </message>
    <message>
        <source>跟踪文件无法打开：%1</source>
        <translation>Cannot open the trace file: %1</translation>
    </message>
    <message>
        <source>打开串口失败，请重新选择串口</source>
        <translation>Failed to open the serial port, please select a serial port</translation>
    </message>
    <message>
        <source>串口打开失败：%1</source>
        <translation>Opening the serial port failed: %1</translation>
    </message>
    <message>
        <source>串口 %1</source>
        <translation>Port %1</translation>
    </message>
    <message>
        <source>（未打开）</source>
        <translation> (not open)</translation>
    </message>
    <message>
        <source>串口 %1 在 3 秒内没有打开（设备或其驱动没有响应）</source>
        <translation>Serial port %1 did not open within 3 s (the device or its driver does not respond)</translation>
    </message>
    <message>
        <source>服务器关闭了连接</source>
        <translation>the server closed the connection</translation>
    </message>
    <message>
        <source>连接中断（%1）</source>
        <translation>the connection broke (%1)</translation>
    </message>
    <message>
        <source>串口已断开：%1：%2</source>
        <translation>Serial port disconnected: %1: %2</translation>
    </message>
</context>
<context>
    <name>orvel::RecordDialog</name>
    <message>
        <source>编程记录</source>
        <translation>Programming Records</translation>
    </message>
    <message>
        <source>记录保存在：%1</source>
        <translation>Records kept in: %1</translation>
    </message>
    <message>
        <source>单元(&amp;U)：</source>
        <translation>&amp;Unit:</translation>
    </message>
    <message>
        <source>方案(&amp;P)：</source>
        <translation>&amp;Plan:</translation>
    </message>
    <message>
        <source>工作站(&amp;T)：</source>
        <translation>S&amp;tation:</translation>
    </message>
    <message>
        <source>起始日期 (UTC)(&amp;D)：</source>
        <translation>Since &amp;date (UTC):</translation>
    </message>
    <message>
        <source>查询(&amp;Q)</source>
        <translation>&amp;Query</translation>
    </message>
    <message>
        <source>导出 CSV(&amp;E)...</source>
        <translation>&amp;Export CSV...</translation>
    </message>
    <message>
        <source>打开写入前数据(&amp;B)</source>
        <translation>Open &amp;Before Image</translation>
    </message>
    <message>
        <source>打开读出数据(&amp;A)</source>
        <translation>Open Image &amp;Read</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>起始日期应写成 2026-12-07 或 2026-12-07T13:45</source>
        <translation>Write the date as 2026-12-07 or 2026-12-07T13:45</translation>
    </message>
    <message>
        <source>还没有编程记录</source>
        <translation>No programming records yet</translation>
    </message>
    <message>
        <source>无法读取编程记录：%1</source>
        <translation>The programming records cannot be read: %1</translation>
    </message>
    <message>
        <source>导出失败：%1</source>
        <translation>Export failed: %1</translation>
    </message>
    <message>
        <source>这条记录没有写入前的数据（写入前没有读出电台）</source>
        <translation>This record holds no image from before the write (the radio was not read first)</translation>
    </message>
    <message>
        <source>这条记录没有读出的数据（写入后没有校验）</source>
        <translation>This record holds no image read (no verify after the write)</translation>
    </message>
    <message>
        <source>编程记录 %1 的写入前数据</source>
        <translation>the image before the write of record %1</translation>
    </message>
    <message>
        <source>编程记录 %1 的读出数据</source>
        <translation>the image read of record %1</translation>
    </message>
    <message>
        <source>记录数：%1</source>
        <translation>Records: %1</translation>
    </message>
    <message>
        <source>已导出到 %1，记录数：%2</source>
        <translation>Exported to %1, records: %2</translation>
    </message>
    <message>
        <source>文件名，或 SHA-256 的至少前 8 位</source>
        <translation>file name, or at least the first 8 digits of the SHA-256</translation>
    </message>
    <message>
        <source>%1 个方案的 SHA-256 都以 %2 开头，请多输入几位</source>
        <translation>%1 plans have SHA-256s that start with %2: give more of it</translation>
    </message>
</context>
<context>
    <name>orvel::RecordTableModel</name>
    <message>
        <source>通信</source>
        <translation>communication</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>port</translation>
    </message>
    <message>
        <source>数据</source>
        <translation>data</translation>
    </message>
    <message>
        <source>校验通过</source>
        <translation>verified</translation>
    </message>
    <message>
        <source>正确</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>失败（%1）：%2</source>
        <translation>failed (%1): %2</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>读出</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>开始时间 (UTC)</source>
        <translation>Started (UTC)</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>单元</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>电台</source>
        <translation>Radio</translation>
    </message>
    <message>
        <source>方案</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>工作站</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>%1（写入的不是最新版本）</source>
        <translation>%1 (not its newest version written)</translation>
    </message>
    <message>
        <source>分配的方案</source>
        <translation>Assigned Plan</translation>
    </message>
</context>
<context>
    <name>orvel::RowCommands</name>
    <message>
        <source>复制 %1 行</source>
        <translation>Copied %1 row(s)</translation>
    </message>
    <message>
        <source>粘贴：信道16之后的%1行未粘贴</source>
        <translation>Paste: %1 row(s) beyond channel 16 not pasted</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>粘贴 %1 行</source>
        <translation>Paste %1 row(s)</translation>
    </message>
    <message>
        <source>批量设置</source>
        <translation>Fill Channels</translation>
    </message>
    <message>
        <source>批量设置 信道%1-%2</source>
        <translation>Fill channels %1-%2</translation>
    </message>
    <message>
        <source>%1：信道%2 不是一行信道数据（应为6项，或以信道号开头的7项）</source>
        <translation>%1: channel %2 is not a row of channel data (6 cells expected, or 7 starting with the channel number)</translation>
    </message>
    <message>
        <source>%1：信道%2 %3</source>
        <translation>%1: channel %2 %3</translation>
    </message>
    <message>
        <source>粘贴：剪贴板中没有信道数据（每行应为6项，或以信道号开头的7项）</source>
        <translation>Paste: the clipboard holds no channel rows (6 cells a line, or 7 starting with the channel number)</translation>
    </message>
    <message>
        <source>上移 信道%1</source>
        <translation>Move up channel %1</translation>
    </message>
    <message>
        <source>下移 信道%1</source>
        <translation>Move down channel %1</translation>
    </message>
    <message>
        <source>移动 信道%1 到信道%2</source>
        <translation>Move channel %1 to channel %2</translation>
    </message>
    <message>
        <source>信道%1不是空的，不能插入空行</source>
        <translation>Channel %1 is not empty: no empty channel can be inserted</translation>
    </message>
    <message>
        <source>插入空行 [信道%1]</source>
        <translation>Insert empty channel [channel %1]</translation>
    </message>
    <message>
        <source>删除并上移 信道%1</source>
        <translation>Delete and shift up channel %1</translation>
    </message>
    <message>
        <source>排序 %1</source>
        <translation>Sort by %1</translation>
    </message>
    <message>
        <source>倒序排序 %1</source>
        <translation>Sort by %1, descending</translation>
    </message>
</context>
<context>
    <name>orvel::UnitDialog</name>
    <message>
        <source>单元标签</source>
        <translation>Unit Label</translation>
    </message>
    <message>
        <source>要写入的电台的单元标签（序列号），可用扫码枪扫入(&amp;L)：</source>
        <translation>The &amp;label (serial number) of the unit to write; a barcode scanner may type it:</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>单元标签最长 %1 字节（一个汉字占 3 字节）</source>
        <translation>A unit label is at most %1 bytes long (a Chinese character takes 3)</translation>
    </message>
    <message>
        <source>单元标签不能含控制字符（如制表符、换行）</source>
        <translation>A unit label cannot hold control characters (such as a tab or a line break)</translation>
    </message>
</context>
<context>
    <name>orvel::WindowActions</name>
    <message>
        <source>打开(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>另存为(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>导入(&amp;I)...</source>
        <translation>&amp;Import...</translation>
    </message>
    <message>
        <source>导出(&amp;E)...</source>
        <translation>&amp;Export...</translation>
    </message>
    <message>
        <source>编程记录...</source>
        <translation>Programming Records...</translation>
    </message>
    <message>
        <source>打印(&amp;P)...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>打印设置(&amp;R)...</source>
        <translation>P&amp;rint Setup...</translation>
    </message>
    <message>
        <source>撤销(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>重做(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>复制(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>粘贴(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>上移(&amp;K)</source>
        <translation>&amp;Move Up</translation>
    </message>
    <message>
        <source>下移(&amp;J)</source>
        <translation>Move Dow&amp;n</translation>
    </message>
    <message>
        <source>插入空行(&amp;I)</source>
        <translation>&amp;Insert Empty Channel</translation>
    </message>
    <message>
        <source>删除并上移(&amp;D)</source>
        <translation>De&amp;lete and Shift Up</translation>
    </message>
    <message>
        <source>排序(&amp;S)</source>
        <translation>&amp;Sort by Receive Frequency</translation>
    </message>
    <message>
        <source>批量设置(&amp;B)...</source>
        <translation>&amp;Fill Channels...</translation>
    </message>
    <message>
        <source>缺省</source>
        <translation>&amp;Defaults</translation>
    </message>
    <message>
        <source>读取(PC&lt;-电台)</source>
        <translation>Read (PC&lt;-Radio)</translation>
    </message>
    <message>
        <source>写入(PC-&gt;电台)</source>
        <translation>Write (PC-&gt;Radio)</translation>
    </message>
    <message>
        <source>写入后校验</source>
        <translation>Verify After Write</translation>
    </message>
    <message>
        <source>写入前读出备份</source>
        <translation>Read Backup Before Write</translation>
    </message>
    <message>
        <source>写入前比较</source>
        <translation>Compare Before Write</translation>
    </message>
    <message>
        <source>与电台比较</source>
        <translation>Compare with Radio</translation>
    </message>
    <message>
        <source>串口&amp;%1</source>
        <translation>Port &amp;%1</translation>
    </message>
    <message>
        <source>网络串口...</source>
        <translation>Network port...</translation>
    </message>
    <message>
        <source>查找电台</source>
        <translation>Find Radio</translation>
    </message>
    <message>
        <source>设置当前信道</source>
        <translation>Set Current Channel</translation>
    </message>
    <message>
        <source>OrvelTool帮助</source>
        <translation>OrvelTool Help</translation>
    </message>
    <message>
        <source>常见问题</source>
        <translation>Common Questions</translation>
    </message>
    <message>
        <source>方案库...</source>
        <translation>Plan Library...</translation>
    </message>
    <message>
        <source>按单元写入...</source>
        <translation>Write by Unit...</translation>
    </message>
    <message>
        <source>机群状态...</source>
        <translation>Fleet Status...</translation>
    </message>
</context>
</TS>
