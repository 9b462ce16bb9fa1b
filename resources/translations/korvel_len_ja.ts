<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>CDayAnalysisJob</name>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>km/h</source>
        <translation>km/h</translation>
    </message>
    <message>
        <source>%1  shock %2 g (%3)</source>
        <translation>%1  衝撃 %2 g (%3)</translation>
    </message>
    <message>
        <source>%1+ %2</source>
        <translation>%1+ %2</translation>
    </message>
    <message>
        <source>%1-%2 %3</source>
        <translation>%1-%2 %3</translation>
    </message>
</context>
<context>
    <name>CDayOverview</name>
    <message>
        <source>%1 shock %2 g (%3)</source>
        <translation>%1 衝撃 %2 g (%3)</translation>
    </message>
    <message>
        <source>, %1 %2</source>
        <translation>, %1 %2</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>km/h</source>
        <translation>km/h</translation>
    </message>
</context>
<context>
    <name>CardSetup</name>
    <message>
        <source>The text must not hold line breaks or other control characters.</source>
        <translation>改行などの制御文字は入力できません。</translation>
    </message>
    <message>
        <source>The text may hold at most %1 characters.</source>
        <translation>最大 %1 文字まで入力できます。</translation>
    </message>
    <message>
        <source>The text holds characters the recorder cannot store.</source>
        <translation>レコーダーが保存できない文字が含まれています。</translation>
    </message>
    <message>
        <source>The value must be 1 or 0.</source>
        <translation>値は 1 または 0 でなければなりません。</translation>
    </message>
    <message>
        <source>The value must be a whole number from %1 to %2.</source>
        <translation>値は %1 から %2 までの整数でなければなりません。</translation>
    </message>
    <message>
        <source>This recorder&apos;s firmware does not offer %1.</source>
        <translation>このレコーダーのファームウェアは %1 に対応していません。</translation>
    </message>
    <message>
        <source>The value must be one of %1.</source>
        <translation>値は %1 のいずれかでなければなりません。</translation>
    </message>
    <message>
        <source>The value must be a date written yyyyMMdd.</source>
        <translation>値は yyyyMMdd 形式の日付でなければなりません。</translation>
    </message>
    <message>
        <source>The value must be a time written hhmmss.</source>
        <translation>値は hhmmss 形式の時刻でなければなりません。</translation>
    </message>
    <message>
        <source>%1 is not a setting of this recorder.</source>
        <translation>%1 はこのレコーダーの設定ではありません。</translation>
    </message>
    <message>
        <source>%1 cannot be written.</source>
        <translation>%1 を書き込めません。</translation>
    </message>
    <message>
        <source>%1 is not a file</source>
        <translation>%1 はファイルではありません</translation>
    </message>
</context>
<context>
    <name>ConfigApp</name>
    <message>
        <location filename="../../setup/ConfigApp.ui" line="+32" />
        <source>로그인</source>
        <translation>ログイン</translation>
    </message>
    <message>
        <location line="+12" />
        <source>User ID</source>
        <translation>ユーザーID</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Password</source>
        <translation>パスワード</translation>
    </message>
    <message>
        <location line="+17" />
        <source>Auto Login</source>
        <translation>自動ログイン</translation>
    </message>
    <message>
        <location line="+7" />
        <source>RememberMe</source>
        <translation>IDを保存</translation>
    </message>
    <message>
        <location line="+10" />
        <source>속도 표시</source>
        <translation>速度表示</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Km</source>
        <translation>km</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Miles</source>
        <translation>マイル</translation>
    </message>
    <message>
        <source>Unchanged</source>
        <translation>変更しない</translation>
    </message>
    <message>
        <source>Confirm Password</source>
        <translation>パスワード（確認）</translation>
    </message>
    <message>
        <source>The user id must not be empty.</source>
        <translation>ユーザーIDを空にすることはできません。</translation>
    </message>
    <message>
        <source>A password does not match a confirm password</source>
        <translation>パスワードと確認用パスワードが一致しません。</translation>
    </message>
    <message>
        <source>Captured pictures</source>
        <translation>キャプチャ画像</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>参照...</translation>
    </message>
    <message>
        <source>Folder for captured pictures</source>
        <translation>キャプチャ画像の保存先フォルダー</translation>
    </message>
</context>
<context>
    <name>ConfigCamera</name>
    <message>
        <location filename="../../setup/ConfigCamera.cpp" line="+66" />
        <source>TITLE</source>
        <translation>タイトル</translation>
    </message>
    <message>
        <location line="+0" />
        <source>MIRROR</source>
        <translation>ミラー</translation>
    </message>
    <message>
        <location line="+0" />
        <source>FLIP</source>
        <translation>上下反転</translation>
    </message>
    <message>
        <location line="+1" />
        <source>FRAME</source>
        <translation>フレーム</translation>
    </message>
    <message>
        <location line="+0" />
        <source>BITRATE</source>
        <translation>ビットレート</translation>
    </message>
    <message>
        <location line="+0" />
        <source>SENSITIVITY</source>
        <translation>感度</translation>
    </message>
    <message>
        <location line="+47" />
        <location line="+61" />
        <source>%1 MBPS (CBR)</source>
        <translation>%1 MBPS (CBR)</translation>
    </message>
</context>
<context>
    <name>ConfigDevice</name>
    <message>
        <location filename="../../setup/ConfigDevice.ui" line="+34" />
        <source>차량설정</source>
        <translation>車両設定</translation>
    </message>
    <message>
        <location line="+6" />
        <source>차량번호</source>
        <translation>車両番号</translation>
    </message>
    <message>
        <location line="+17" />
        <source>WiFi 설정</source>
        <translation>WiFi設定</translation>
    </message>
    <message>
        <location line="+6" />
        <source>비밀번호</source>
        <translation>パスワード</translation>
    </message>
    <message>
        <location line="+17" />
        <source>시간설정</source>
        <translation>時刻設定</translation>
    </message>
    <message>
        <location line="+6" />
        <source>GPS 시간 동기 사용</source>
        <translation>GPS時刻同期を使用</translation>
    </message>
    <message>
        <location line="+10" />
        <source>블랙박스 시간 재설정</source>
        <translation>レコーダーの時刻を再設定</translation>
    </message>
    <message>
        <location line="+20" />
        <source>타임존</source>
        <translation>タイムゾーン</translation>
    </message>
    <message>
        <location line="+40" />
        <source>충격설정</source>
        <translation>衝撃設定</translation>
    </message>
    <message>
        <location line="+6" />
        <source>주행</source>
        <translation>走行</translation>
    </message>
    <message>
        <location line="+10" />
        <source>주차</source>
        <translation>駐車</translation>
    </message>
    <message>
        <location line="+298" />
        <source>배터리보호</source>
        <translation>バッテリー保護</translation>
    </message>
    <message>
        <location line="+6" />
        <source>배터리 전압 사용</source>
        <translation>バッテリー電圧を使用</translation>
    </message>
    <message>
        <location line="+71" />
        <source>시간 사용</source>
        <translation>時間を使用</translation>
    </message>
    <message>
        <location line="+44" />
        <source>마이크</source>
        <translation>マイク</translation>
    </message>
    <message>
        <location line="+6" />
        <source>마이크 사용</source>
        <translation>マイクを使用</translation>
    </message>
    <message>
        <location line="+10" />
        <source>볼륨</source>
        <translation>音量</translation>
    </message>
</context>
<context>
    <name>ConfigStorage</name>
    <message>
        <location filename="../../setup/ConfigStorage.ui" line="+32" />
        <source>저장 공간 배분</source>
        <translation>保存領域の配分</translation>
    </message>
    <message>
        <location line="+379" />
        <source>&lt;p&gt;&lt;b&gt;D&lt;/b&gt; : 주행 &amp;nbsp; &lt;b&gt;P&lt;/b&gt; : 주차&lt;/p&gt;&lt;p&gt;&lt;b&gt;N&lt;/b&gt; : 일반 &amp;nbsp; &lt;b&gt;S&lt;/b&gt; : 충격 &amp;nbsp; &lt;b&gt;M&lt;/b&gt; : 움직임&lt;/p&gt;&lt;p&gt;D.N(20) = 주행 중 일반 녹화에 저장소의 20%&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;D&lt;/b&gt; : 走行 &amp;nbsp; &lt;b&gt;P&lt;/b&gt; : 駐車&lt;/p&gt;&lt;p&gt;&lt;b&gt;N&lt;/b&gt; : 通常 &amp;nbsp; &lt;b&gt;S&lt;/b&gt; : 衝撃 &amp;nbsp; &lt;b&gt;M&lt;/b&gt; : 動き&lt;/p&gt;&lt;p&gt;D.N(20) = 走行中の通常録画にカードの20%&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>ConfigUpgrade</name>
    <message>
        <location filename="../../setup/ConfigUpgrade.ui" line="+29" />
        <source>펌웨어 업그레이드</source>
        <translation>ファームウェア更新</translation>
    </message>
    <message>
        <location line="+12" />
        <source>블랙박스 펌웨어 버전</source>
        <translation>レコーダーのファームウェアバージョン</translation>
    </message>
    <message>
        <location line="+17" />
        <source>업그레이드 버전</source>
        <translation>更新ファイル</translation>
    </message>
    <message>
        <location line="+17" />
        <source>search</source>
        <translation>検索</translation>
    </message>
    <message>
        <location line="+17" />
        <source>copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <location filename="../../setup/ConfigUpgrade.cpp" line="+35" />
        <source>Open File</source>
        <translation>ファイルを開く</translation>
    </message>
    <message>
        <location line="+1" />
        <source>bin file (zd-*.bin)</source>
        <translation>binファイル (zd-*.bin)</translation>
    </message>
    <message>
        <location line="+36" />
        <location line="+5" />
        <source>Upgrade file</source>
        <translation>アップグレードファイル</translation>
    </message>
    <message>
        <location line="-5" />
        <source>The upgrade file can not be found.</source>
        <translation>アップグレードファイルが見つかりません。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>This file already exists.
 Do you want to overwrite it?</source>
        <translation>このファイルは既に存在します。
上書きしますか?</translation>
    </message>
    <message>
        <location line="+29" />
        <source>File Copy</source>
        <translation>ファイルコピー</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Complete!!</source>
        <translation>完了しました!</translation>
    </message>
    <message>
        <location line="+0" />
        <source>File copy failed.</source>
        <translation>ファイルのコピーに失敗しました。</translation>
    </message>
</context>
<context>
    <name>DlgConfig</name>
    <message>
        <location filename="../../setup/DlgConfig.ui" line="+14" />
        <source>Option</source>
        <translation>オプション</translation>
    </message>
    <message>
        <location line="+25" />
        <source>디바이스</source>
        <translation>デバイス</translation>
    </message>
    <message>
        <location line="+22" />
        <source>카메라</source>
        <translation>カメラ</translation>
    </message>
    <message>
        <location line="+22" />
        <source>저장소</source>
        <translation>ストレージ</translation>
    </message>
    <message>
        <location line="+22" />
        <source>업그레이드</source>
        <translation>アップグレード</translation>
    </message>
    <message>
        <location line="+22" />
        <source>뷰어</source>
        <translation>ビューア</translation>
    </message>
    <message>
        <location filename="../../setup/DlgConfig.cpp" line="+139" />
        <location filename="../../setup/SetupEditor.cpp" line="+47" />
        <source>Configuration</source>
        <translation>設定</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The setting file could not be saved. The file on the card is unchanged.
%1
%2</source>
        <translation>設定ファイルを保存できませんでした。カード上のファイルは変更されていません。
%1
%2</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <location filename="../../setup/SetupEditor.cpp" line="+1" />
        <source> There is not a setting file.</source>
        <translation> 設定ファイルがありません。</translation>
    </message>
</context>
<context>
    <name>DlgSelDrive</name>
    <message>
        <location filename="../../widgets/DlgSelDrive.cpp" line="+16" />
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
        <location filename="../../app/Korvel.ui" line="+20"/>
        <source>Korvel</source>
        <translation>Korvel</translation>
    </message>
    <message>
        <location line="+100"/>
        <source>Recorder setup</source>
        <translation>レコーダー設定</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>About</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Maximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <location line="+77"/>
        <source>Folders</source>
        <translation>フォルダー</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Recordings</source>
        <translation>録画</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Start time</source>
        <translation>開始時刻</translation>
    </message>
    <message>
        <location line="+78"/>
        <source>Show or hide the folder bar</source>
        <translation>フォルダーバーの表示/非表示</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Show or hide the layout bar</source>
        <translation>レイアウトバーの表示/非表示</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>One view</source>
        <translation>1画面</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Four views</source>
        <translation>4分割</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Nine views</source>
        <translation>9分割</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>Previous channels</source>
        <translation>前のチャンネル</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Next channels</source>
        <translation>次のチャンネル</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Show or hide the control bar</source>
        <translation>操作バーの表示/非表示</translation>
    </message>
    <message>
        <location line="+140"/>
        <source>Open a larger map</source>
        <translation>大きな地図を開く</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>Vehicle</source>
        <translation>車両</translation>
    </message>
    <message>
        <location line="+42"/>
        <location filename="../../app/ReadOuts.cpp" line="+31"/>
        <source>No Date</source>
        <translation>日付なし</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Graph</source>
        <translation>グラフ</translation>
    </message>
    <message>
        <location line="+85"/>
        <location filename="../../app/ReadOuts.cpp" line="-5"/>
        <source> km/h </source>
        <translation> km/h </translation>
    </message>
    <message>
        <location filename="../../app/Korvel.cpp" line="+125"/>
        <source>Layout 1</source>
        <translation>レイアウト 1</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>Map</source>
        <translation type="vanished">地図</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Playing recordings</source>
        <translation>録画を再生中</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Warging</source>
        <translation>警告</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>It is a file recorded in the old version. Some information can not be read.</source>
        <translation>旧バージョンで記録されたファイルです。一部の情報を読み取れません。</translation>
    </message>
    <message>
        <location line="+436"/>
        <source>Close all Channels</source>
        <translation>すべてのチャンネルを閉じる</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Close the selected channels</source>
        <translation>選択したチャンネルを閉じる</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Auto Stream</source>
        <translation>自動ストリーム</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>1st Stream</source>
        <translation>第1ストリーム</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>2nd Stream</source>
        <translation>第2ストリーム</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mode(Live or PB)</source>
        <translation>モード(ライブ/再生)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Date/Time</source>
        <translation>日付/時刻</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Resolution</source>
        <translation>解像度</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Channel Title</source>
        <translation>チャンネル名</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Site Name</source>
        <translation>サイト名</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Refresh</source>
        <translation>更新</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Show Text</source>
        <translation>テキスト表示</translation>
    </message>
    <message>
        <location line="+96"/>
        <location line="+15"/>
        <source>Configuration</source>
        <translation>設定</translation>
    </message>
    <message>
        <location line="-15"/>
        <source> There is not a setting file.</source>
        <translation> 設定ファイルがありません。</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The recorder setup editor is not available yet.
%1</source>
        <translation type="vanished">レコーダー設定エディターはまだ使用できません。
%1</translation>
    </message>
    <message>
        <location filename="../../app/ReadOuts.cpp" line="-1"/>
        <source> MPH </source>
        <translation> MPH </translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>キャプチャ</translation>
    </message>
    <message>
        <source>Capture image success </source>
        <translation>画像をキャプチャしました </translation>
    </message>
    <message>
        <source>Save Image</source>
        <translation>画像の保存</translation>
    </message>
    <message>
        <source>     Error capture image.     </source>
        <translation>     画像をキャプチャできませんでした。     </translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a folder.</source>
        <translation>「%1」はフォルダーではありません。</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; does not exist.</source>
        <translation>フォルダー「%1」は存在しません。</translation>
    </message>
    <message>
        <source>Save frame</source>
        <translation>フレームを保存</translation>
    </message>
    <message>
        <source>The view shows no picture yet.</source>
        <translation>この画面にはまだ映像がありません。</translation>
    </message>
    <message>
        <source>The picture was saved:</source>
        <translation>画像を保存しました:</translation>
    </message>
    <message>
        <source>The picture could not be saved in:</source>
        <translation>次の場所に画像を保存できませんでした:</translation>
    </message>
    <message>
        <source>Close channel</source>
        <translation>チャンネルを閉じる</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>印刷</translation>
    </message>
    <message>
        <source>About Korvel</source>
        <translation>Korvel について</translation>
    </message>
    <message>
        <source>Open a card or a day folder</source>
        <translation>カードまたは日付フォルダーを開く</translation>
    </message>
    <message>
        <source>Click or drag to play from there; the wheel zooms.</source>
        <translation>クリックまたはドラッグでその位置から再生、ホイールで拡大縮小します。</translation>
    </message>
    <message>
        <source>5 s</source>
        <translation>5 秒</translation>
    </message>
    <message>
        <source>60 s</source>
        <translation>60 秒</translation>
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
    <name>QFileSystemModel</name>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
</context>
<context>
    <name>QGnomeTheme</name>
    <message>
        <source>&amp;OK</source>
        <translation>OK(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>キャンセル(&amp;C)</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>いいえ(&amp;N)</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>中止</translation>
    </message>
</context>
<context>
    <name>ShockSettingBox</name>
    <message>
        <source>Shock events</source>
        <translation>衝撃イベント</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>しきい値</translation>
    </message>
    <message>
        <source> g</source>
        <translation> g</translation>
    </message>
    <message>
        <source>From the recorder</source>
        <translation>レコーダーの設定</translation>
    </message>
    <message>
        <source>From the recorder: the driving shock levels 1-10 of its setup, 0.3 g + 0.2 g x (10 - level) per axis (level 5: 1.3 g).</source>
        <translation>レコーダーの設定: 走行時の衝撃レベル1〜10を軸ごとに 0.3 g + 0.2 g × (10 − レベル) とします (レベル5: 1.3 g)。</translation>
    </message>
</context>
<context>
    <name>UCDayPanel</name>
    <message>
        <source>Trip</source>
        <translation>トリップ</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>距離</translation>
    </message>
    <message>
        <source>Driving time</source>
        <translation>走行時間</translation>
    </message>
    <message>
        <source>Top speed</source>
        <translation>最高速度</translation>
    </message>
    <message>
        <source>Average moving speed</source>
        <translation>平均走行速度</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>イベント</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時刻</translation>
    </message>
    <message>
        <source>Shock</source>
        <translation>衝撃</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 分</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 時間 %2 分</translation>
    </message>
    <message>
        <source>Reading the day&apos;s track and shocks...</source>
        <translation>この日の走行経路と衝撃を読み込んでいます...</translation>
    </message>
    <message>
        <source>This day could not be read.</source>
        <translation>この日を読み込めませんでした。</translation>
    </message>
    <message>
        <source>Open a day to see its trip.</source>
        <translation>日付フォルダーを開くと走行の概要が表示されます。</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>km/h</source>
        <translation>km/h</translation>
    </message>
    <message>
        <source>mi</source>
        <translation>mi</translation>
    </message>
    <message>
        <source>km</source>
        <translation>km</translation>
    </message>
    <message>
        <source>No GPS or G-sensor data on this day.</source>
        <translation>この日にはGPSとGセンサーのデータがありません。</translation>
    </message>
    <message>
        <source>No GPS fix on this day.</source>
        <translation>この日にはGPS測位がありません。</translation>
    </message>
    <message>
        <source>From the G-sensor log: no recording at this time</source>
        <translation>Gセンサーログより: この時刻の録画はありません</translation>
    </message>
</context>
<context>
    <name>Shortcuts</name>
    <message>
        <source>Play or pause</source>
        <translation>再生/一時停止</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <source>Play forward, faster each time (x1, x2 ... x64)</source>
        <translation>順方向に再生、押すたびに高速 (x1, x2 ... x64)</translation>
    </message>
    <message>
        <source>Play backward, faster each time (x-1, x-2 ... x-64)</source>
        <translation>逆方向に再生、押すたびに高速 (x-1, x-2 ... x-64)</translation>
    </message>
    <message>
        <source>One picture forward</source>
        <translation>1コマ進む</translation>
    </message>
    <message>
        <source>One picture backward</source>
        <translation>1コマ戻る</translation>
    </message>
    <message>
        <source>5 seconds back</source>
        <translation>5秒戻る</translation>
    </message>
    <message>
        <source>5 seconds forward</source>
        <translation>5秒進む</translation>
    </message>
    <message>
        <source>60 seconds back</source>
        <translation>60秒戻る</translation>
    </message>
    <message>
        <source>60 seconds forward</source>
        <translation>60秒進む</translation>
    </message>
    <message>
        <source>First recording</source>
        <translation>最初の録画</translation>
    </message>
    <message>
        <source>Last recording</source>
        <translation>最後の録画</translation>
    </message>
    <message>
        <source>Previous recording of the list</source>
        <translation>一覧の前の録画</translation>
    </message>
    <message>
        <source>Next recording of the list</source>
        <translation>一覧の次の録画</translation>
    </message>
    <message>
        <source>One view</source>
        <translation>1画面</translation>
    </message>
    <message>
        <source>Four views</source>
        <translation>4画面</translation>
    </message>
    <message>
        <source>Nine views</source>
        <translation>9画面</translation>
    </message>
    <message>
        <source>Previous group of views</source>
        <translation>前の画面グループ</translation>
    </message>
    <message>
        <source>Next group of views</source>
        <translation>次の画面グループ</translation>
    </message>
    <message>
        <source>Capture the selected view as shown</source>
        <translation>選択した画面を表示どおりにキャプチャ</translation>
    </message>
    <message>
        <source>Save the selected view&apos;s picture at its own size</source>
        <translation>選択した画面の映像を元のサイズで保存</translation>
    </message>
    <message>
        <source>Full screen on or off</source>
        <translation>全画面表示の切り替え</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>全画面表示を終了</translation>
    </message>
    <message>
        <source>Close the selected view</source>
        <translation>選択した画面を閉じる</translation>
    </message>
    <message>
        <source>Open a card or a day folder</source>
        <translation>カードまたは日付フォルダーを開く</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Volume down</source>
        <translation>音量を下げる</translation>
    </message>
    <message>
        <source>Volume up</source>
        <translation>音量を上げる</translation>
    </message>
    <message>
        <source>Sound off or on</source>
        <translation>消音の切り替え</translation>
    </message>
    <message>
        <source>Start of the stretch to export (in point)</source>
        <translation>エクスポートする区間の開始 (イン点)</translation>
    </message>
    <message>
        <source>End of the stretch to export (out point)</source>
        <translation>エクスポートする区間の終了 (アウト点)</translation>
    </message>
    <message>
        <source>Export the stretch: clips, evidence video or track</source>
        <translation>区間をエクスポート: クリップ、証拠映像、走行軌跡</translation>
    </message>
    <message>
        <source>This list of keys</source>
        <translation>このキー一覧</translation>
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
        <source>END</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>NO RECORDING</source>
        <translation>録画なし</translation>
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
    <name>UCDlgAbout</name>
    <message>
        <location filename="../../app/UCDlgAbout.cpp" line="+9"/>
        <source>About Korvel</source>
        <translation>Korvel について</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Korvel Vehicle Recording Viewer</source>
        <translation>Korvel 車両記録ビューアー</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Version </source>
        <translation>バージョン </translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>キーボードショートカット</translation>
    </message>
</context>
<context>
    <name>UCDlgClose</name>
    <message>
        <location filename="../../app/UCDlgClose.cpp" line="+14"/>
        <source>Korvel</source>
        <translation>Korvel</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Are you sure you want to close Korvel?</source>
        <translation>Korvel を終了しますか?</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Don&apos;t ask me again.</source>
        <translation>次回から確認しない。</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>キャンセル</translation>
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
    <name>UCDlgShortcuts</name>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>キーボードショートカット</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>キー</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>操作</translation>
    </message>
</context>
<context>
    <name>UCPlaybackStrip</name>
    <message>
        <location filename="../../app/UCPlaybackStrip.cpp" line="+131"/>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Pause</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>FirstPlay</source>
        <translation>最初から再生</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>LastPlay</source>
        <translation>最後を再生</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>RewindSpeed</source>
        <translation>巻き戻し</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>BackFrame</source>
        <translation>1フレーム戻る</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ForwordFrame</source>
        <translation>1フレーム進む</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>FastSpeed</source>
        <translation>早送り</translation>
    </message>
    <message>
        <source>Sound on</source>
        <translation>音を出す</translation>
    </message>
    <message>
        <source>Sound off</source>
        <translation>消音</translation>
    </message>
    <message>
        <source>Volume %1%</source>
        <translation>音量 %1%</translation>
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
<context>
    <name>UCDlgExport</name>
    <message>
        <source>Export...</source>
        <translation>エクスポート...</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>エクスポート</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>日付</translation>
    </message>
    <message>
        <source>Export as</source>
        <translation>形式</translation>
    </message>
    <message>
        <source>Clips: one MP4 per channel, pictures as recorded</source>
        <translation>クリップ: チャンネルごとに MP4、録画のままの映像</translation>
    </message>
    <message>
        <source>Evidence video: channels in a grid, date, time, speed and position burned in</source>
        <translation>証拠映像: チャンネルを並べ、日時・速度・位置を焼き込み</translation>
    </message>
    <message>
        <source>Track as GPX</source>
        <translation>走行軌跡 (GPX)</translation>
    </message>
    <message>
        <source>Track as KML (Google Earth)</source>
        <translation>走行軌跡 (KML、Google Earth)</translation>
    </message>
    <message>
        <source>Track as CSV (spreadsheet)</source>
        <translation>走行軌跡 (CSV、表計算)</translation>
    </message>
    <message>
        <source>From</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>to</source>
        <translation>から</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>チャンネル</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>音声</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Save in</source>
        <translation>保存先</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>参照...</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>フォルダーを開く</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>The day folder holds no recordings.</source>
        <translation>この日付フォルダーには録画がありません。</translation>
    </message>
    <message>
        <source>Open a day folder first.</source>
        <translation>先に日付フォルダーを開いてください。</translation>
    </message>
    <message>
        <source>The end of the range must come after its start.</source>
        <translation>終了時刻は開始時刻より後にしてください。</translation>
    </message>
    <message>
        <source>Tick at least one channel.</source>
        <translation>チャンネルを一つ以上選んでください。</translation>
    </message>
    <message>
        <source>An evidence video holds at most 9 channels.</source>
        <translation>証拠映像に入れられるチャンネルは 9 つまでです。</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>フォルダー %1 がありません。</translation>
    </message>
    <message>
        <source>Replace the existing files?
%1</source>
        <translation>既存のファイルを置き換えますか?
%1</translation>
    </message>
    <message>
        <source>Exporting...</source>
        <translation>エクスポート中...</translation>
    </message>
    <message>
        <source>Exporting... %1 left</source>
        <translation>エクスポート中... 残り %1</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>%1 を保存しました</translation>
    </message>
    <message>
        <source>Saved %1 files in %2</source>
        <translation>%1 個のファイルを %2 に保存しました</translation>
    </message>
    <message>
        <source>Cancelled: nothing was saved.</source>
        <translation>キャンセルしました。何も保存されていません。</translation>
    </message>
</context>
</TS>
