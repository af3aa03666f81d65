<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>MainDialog</name>
    <message>
        <source>ﾀﾞｳﾝﾛｰﾄﾞ実行</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>ﾀﾞｳﾝﾛｰﾄﾞするﾌﾟﾛﾌｧｲﾙの選択</source>
        <translation>Profile to download</translation>
    </message>
    <message>
        <source>ICCﾌﾟﾛﾌｧｲﾙ</source>
        <translation>ICC profile</translation>
    </message>
    <message>
        <source>ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ</source>
        <translation>Ink simulation profile</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀｰの選択：</source>
        <translation>Printer:</translation>
    </message>
    <message>
        <source>ﾌﾟﾛﾌｧｲﾙNo.：</source>
        <translation>Profile No.:</translation>
    </message>
    <message>
        <source>ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ</source>
        <translation>Simulation profile</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>出力ﾌﾟﾛﾌｧｲﾙ</source>
        <translation>Output profile</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>ﾀﾞｳﾝﾛｰﾄﾞ情報印刷</source>
        <translation>Print Download Info</translation>
    </message>
</context>
<context>
    <name>ProgressLine</name>
    <message>
        <source>ﾌﾟﾛﾌｧｲﾙを確認しています...</source>
        <translation>Checking the profiles...</translation>
    </message>
    <message>
        <source>%1 への別のﾀﾞｳﾝﾛｰﾄﾞの終了を待っています...</source>
        <translation>Waiting for another download to %1 to finish...</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙを作成しています...</source>
        <translation>Making the files...</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀｰへ送信しています (%1/%2)...</source>
        <translation>Sending to the printer (%1/%2)...</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾄｻｰﾊﾞｰの応答を待っています (あと最大 %1 秒)...</source>
        <translation>Waiting for the print server (%1 s at most)...</translation>
    </message>
    <message>
        <source>(処理が終わると終了します)</source>
        <translation>(closes when this work ends)</translation>
    </message>
</context>
<context>
    <name>vomar::app::CAboutDialog</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>Version Information</translation>
    </message>
    <message>
        <source>ｶﾗｰﾌﾟﾛﾌｧｲﾙﾀﾞｳﾝﾛｰﾄﾞﾂｰﾙ</source>
        <translation>Colour Profile Download Tool</translation>
    </message>
</context>
<context>
    <name>vomar::app::CCustomFileDialog</name>
    <message>
        <source>ｶﾗｰﾌﾟﾛﾌｧｲﾙ (*.icm *.icc)</source>
        <translation>Colour profiles (*.icm *.icc)</translation>
    </message>
    <message>
        <source>すべてのﾌｧｲﾙ (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>vomar::app::CDownloaderDialog</name>
    <message>
        <source>ﾌﾟﾘﾝﾀｰの一覧を取得しています...</source>
        <translation>Listing the printers...</translation>
    </message>
</context>
<context>
    <name>vomar::app::PathBox</name>
    <message>
        <source>ﾊﾟｽに改行は入りません。</source>
        <translation>A path holds no line break.</translation>
    </message>
    <message>
        <source>ﾊﾟｽは255ﾊﾞｲﾄまでです (全角文字は2ﾊﾞｲﾄ)。</source>
        <translation>A path holds at most 255 bytes (a full-width character counts two).</translation>
    </message>
</context>
</TS>
