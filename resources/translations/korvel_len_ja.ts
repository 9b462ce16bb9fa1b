<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>DlgSelDrive</name>
    <message>
        <location filename="../../app/DlgSelDrive.cpp" line="+16" />
        <source>Select Drive</source>
        <translation>ドライブの選択</translation>
    </message>
    <message>
        <location line="+16" />
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>GLWidget</name>
    <message>
        <location filename="../../display/GLWidget.cpp" line="+518" />
        <source>D-ZOOM</source>
        <translation>Dズーム</translation>
    </message>
</context>
<context>
    <name>Korvel</name>
    <message>
        <location filename="../../app/Korvel.cpp" line="+16" />
        <source>Korvel</source>
        <translation>Korvel</translation>
    </message>
</context>
<context>
    <name>LoginDialog</name>
    <message>
        <location filename="../../app/LoginDialog.ui" line="+26" />
        <source>slpash</source>
        <translation>slpash</translation>
    </message>
    <message>
        <location line="+154" />
        <source>User Name</source>
        <translation>ユーザー名</translation>
    </message>
    <message>
        <location line="+10" />
        <source>ozrec</source>
        <translation>ozrec</translation>
    </message>
    <message>
        <location line="+26" />
        <source>Password</source>
        <translation>パスワード</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Confirm Passowrd</source>
        <translation>パスワード（確認）</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Auto Login</source>
        <translation>自動ログイン</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Save User Name</source>
        <translation>ユーザー名を保存</translation>
    </message>
    <message>
        <location line="+31" />
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>UCDisplayFrame</name>
    <message>
        <source>Korvel Lite Version</source>
        <translation>Korvel ライト版</translation>
    </message>
    <message>
        <source>Korvel lite version only supports up to 36 channels.</source>
        <translation>Korvel ライト版は最大 36 チャンネルまで対応しています。</translation>
    </message>
    <message>
        <source>No Channel</source>
        <translation>チャンネルなし</translation>
    </message>
    <message>
        <source>LIVE</source>
        <translation>ライブ</translation>
    </message>
    <message>
        <source>PAUSED</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <source>PLAY</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Close Channel(s)</source>
        <translation>チャンネルを閉じる</translation>
    </message>
    <message>
        <source>Do you want to close the selected channel(s)?</source>
        <translation>選択したチャンネルを閉じますか？</translation>
    </message>
</context>
<context>
    <name>UCDlgLogin</name>
    <message>
        <location filename="../../app/UCDlgLogin.cpp" line="+28" />
        <location line="+15" />
        <location line="+5" />
        <location line="+10" />
        <location line="+4" />
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <location line="-33" />
        <source>For the first run, you will be requested to enter User ID and Password provided from the manual.</source>
        <translation>初回起動時は、マニュアルに記載されているユーザーIDとパスワードを入力してください。</translation>
    </message>
    <message>
        <location line="+14" />
        <source>The user id must not be empty.</source>
        <translation>ユーザーIDを空にすることはできません。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>A password does not match a confirm password</source>
        <translation>パスワードと確認用パスワードが一致しません。</translation>
    </message>
    <message>
        <location line="+10" />
        <source>The user id is incorrect.</source>
        <translation>ユーザーIDが正しくありません。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The password is incorrect.</source>
        <translation>パスワードが正しくありません。</translation>
    </message>
</context>
<context>
    <name>UCScreenBottomMenu</name>
    <message>
        <location filename="../../display/UCScreenBottomMenu.ui" line="+8" />
        <source>UCScreenBottomMenu</source>
        <translation>UCScreenBottomMenu</translation>
    </message>
    <message>
        <location line="+12" />
        <location line="+12" />
        <location line="+12" />
        <location line="+13" />
        <location line="+6" />
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
</context>
<context>
    <name>UCScreenMenu</name>
    <message>
        <location filename="../../display/UCScreenMenu.ui" line="+7" />
        <source>UCScreenMenu</source>
        <translation>UCScreenMenu</translation>
    </message>
    <message>
        <location line="+9" />
        <location line="+5" />
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <location filename="../../display/UCScreenMenu.cpp" line="+52" />
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <location line="+1" />
        <location line="+4" />
        <source>Capture</source>
        <translation>キャプチャ</translation>
    </message>
    <message>
        <location line="-3" />
        <location line="+4" />
        <source>Print</source>
        <translation>印刷</translation>
    </message>
    <message>
        <location line="-3" />
        <location line="+1" />
        <source>D-Zoom</source>
        <translation>デジタルズーム</translation>
    </message>
</context>
</TS>
