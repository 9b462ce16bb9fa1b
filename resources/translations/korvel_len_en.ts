<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
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
        <translation>%1  shock %2 g (%3)</translation>
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
        <translation>%1 shock %2 g (%3)</translation>
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
        <translation>The text must not hold line breaks or other control characters.</translation>
    </message>
    <message>
        <source>The text may hold at most %1 characters.</source>
        <translation>The text may hold at most %1 characters.</translation>
    </message>
    <message>
        <source>The text holds characters the recorder cannot store.</source>
        <translation>The text holds characters the recorder cannot store.</translation>
    </message>
    <message>
        <source>The value must be 1 or 0.</source>
        <translation>The value must be 1 or 0.</translation>
    </message>
    <message>
        <source>The value must be a whole number from %1 to %2.</source>
        <translation>The value must be a whole number from %1 to %2.</translation>
    </message>
    <message>
        <source>This recorder&apos;s firmware does not offer %1.</source>
        <translation>This recorder&apos;s firmware does not offer %1.</translation>
    </message>
    <message>
        <source>The value must be one of %1.</source>
        <translation>The value must be one of %1.</translation>
    </message>
    <message>
        <source>The value must be a date written yyyyMMdd.</source>
        <translation>The value must be a date written yyyyMMdd.</translation>
    </message>
    <message>
        <source>The value must be a time written hhmmss.</source>
        <translation>The value must be a time written hhmmss.</translation>
    </message>
    <message>
        <source>%1 is not a setting of this recorder.</source>
        <translation>%1 is not a setting of this recorder.</translation>
    </message>
    <message>
        <source>%1 cannot be written.</source>
        <translation>%1 cannot be written.</translation>
    </message>
    <message>
        <source>%1 is not a file</source>
        <translation>%1 is not a file</translation>
    </message>
</context>
<context>
    <name>ConfigApp</name>
    <message>
        <location filename="../../setup/ConfigApp.ui" line="+32" />
        <source>로그인</source>
        <translation>Login</translation>
    </message>
    <message>
        <location line="+12" />
        <source>User ID</source>
        <translation>User ID</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <location line="+17" />
        <source>Auto Login</source>
        <translation>Auto Login</translation>
    </message>
    <message>
        <location line="+7" />
        <source>RememberMe</source>
        <translation>Remember me</translation>
    </message>
    <message>
        <location line="+10" />
        <source>속도 표시</source>
        <translation>Speed display</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Km</source>
        <translation>Km</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Miles</source>
        <translation>Miles</translation>
    </message>
    <message>
        <source>Unchanged</source>
        <translation>Unchanged</translation>
    </message>
    <message>
        <source>Confirm Password</source>
        <translation>Confirm Password</translation>
    </message>
    <message>
        <source>The user id must not be empty.</source>
        <translation>The user id must not be empty.</translation>
    </message>
    <message>
        <source>A password does not match a confirm password</source>
        <translation>A password does not match a confirm password</translation>
    </message>
    <message>
        <source>Captured pictures</source>
        <translation>Captured pictures</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>Folder for captured pictures</source>
        <translation>Folder for captured pictures</translation>
    </message>
</context>
<context>
    <name>ConfigCamera</name>
    <message>
        <location filename="../../setup/ConfigCamera.cpp" line="+66" />
        <source>TITLE</source>
        <translation>TITLE</translation>
    </message>
    <message>
        <location line="+0" />
        <source>MIRROR</source>
        <translation>MIRROR</translation>
    </message>
    <message>
        <location line="+0" />
        <source>FLIP</source>
        <translation>FLIP</translation>
    </message>
    <message>
        <location line="+1" />
        <source>FRAME</source>
        <translation>FRAME</translation>
    </message>
    <message>
        <location line="+0" />
        <source>BITRATE</source>
        <translation>BITRATE</translation>
    </message>
    <message>
        <location line="+0" />
        <source>SENSITIVITY</source>
        <translation>SENSITIVITY</translation>
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
        <translation>Vehicle</translation>
    </message>
    <message>
        <location line="+6" />
        <source>차량번호</source>
        <translation>Vehicle number</translation>
    </message>
    <message>
        <location line="+17" />
        <source>WiFi 설정</source>
        <translation>Wi-Fi</translation>
    </message>
    <message>
        <location line="+6" />
        <source>비밀번호</source>
        <translation>Password</translation>
    </message>
    <message>
        <location line="+17" />
        <source>시간설정</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+6" />
        <source>GPS 시간 동기 사용</source>
        <translation>Use GPS time</translation>
    </message>
    <message>
        <location line="+10" />
        <source>블랙박스 시간 재설정</source>
        <translation>Set the recorder&apos;s clock</translation>
    </message>
    <message>
        <location line="+20" />
        <source>타임존</source>
        <translation>Time zone</translation>
    </message>
    <message>
        <location line="+40" />
        <source>충격설정</source>
        <translation>Shock sensitivity</translation>
    </message>
    <message>
        <location line="+6" />
        <source>주행</source>
        <translation>Driving</translation>
    </message>
    <message>
        <location line="+10" />
        <source>주차</source>
        <translation>Parking</translation>
    </message>
    <message>
        <location line="+298" />
        <source>배터리보호</source>
        <translation>Battery protection</translation>
    </message>
    <message>
        <location line="+6" />
        <source>배터리 전압 사용</source>
        <translation>Use battery voltage</translation>
    </message>
    <message>
        <location line="+71" />
        <source>시간 사용</source>
        <translation>Use time</translation>
    </message>
    <message>
        <location line="+44" />
        <source>마이크</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <location line="+6" />
        <source>마이크 사용</source>
        <translation>Use microphone</translation>
    </message>
    <message>
        <location line="+10" />
        <source>볼륨</source>
        <translation>Volume</translation>
    </message>
</context>
<context>
    <name>ConfigStorage</name>
    <message>
        <location filename="../../setup/ConfigStorage.ui" line="+32" />
        <source>저장 공간 배분</source>
        <translation>Storage split</translation>
    </message>
    <message>
        <location line="+379" />
        <source>&lt;p&gt;&lt;b&gt;D&lt;/b&gt; : 주행 &amp;nbsp; &lt;b&gt;P&lt;/b&gt; : 주차&lt;/p&gt;&lt;p&gt;&lt;b&gt;N&lt;/b&gt; : 일반 &amp;nbsp; &lt;b&gt;S&lt;/b&gt; : 충격 &amp;nbsp; &lt;b&gt;M&lt;/b&gt; : 움직임&lt;/p&gt;&lt;p&gt;D.N(20) = 주행 중 일반 녹화에 저장소의 20%&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;D&lt;/b&gt; : Driving &amp;nbsp; &lt;b&gt;P&lt;/b&gt; : Parking&lt;/p&gt;&lt;p&gt;&lt;b&gt;N&lt;/b&gt; : Normal &amp;nbsp; &lt;b&gt;S&lt;/b&gt; : Shock &amp;nbsp; &lt;b&gt;M&lt;/b&gt; : Motion&lt;/p&gt;&lt;p&gt;D.N(20) = 20% of the card for normal recording while driving&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>ConfigUpgrade</name>
    <message>
        <location filename="../../setup/ConfigUpgrade.ui" line="+29" />
        <source>펌웨어 업그레이드</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <location line="+12" />
        <source>블랙박스 펌웨어 버전</source>
        <translation>Recorder firmware version</translation>
    </message>
    <message>
        <location line="+17" />
        <source>업그레이드 버전</source>
        <translation>Upgrade version</translation>
    </message>
    <message>
        <location line="+17" />
        <source>search</source>
        <translation>Search</translation>
    </message>
    <message>
        <location line="+17" />
        <source>copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <location filename="../../setup/ConfigUpgrade.cpp" line="+35" />
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <location line="+1" />
        <source>bin file (zd-*.bin)</source>
        <translation>bin file (zd-*.bin)</translation>
    </message>
    <message>
        <location line="+36" />
        <location line="+5" />
        <source>Upgrade file</source>
        <translation>Upgrade file</translation>
    </message>
    <message>
        <location line="-5" />
        <source>The upgrade file can not be found.</source>
        <translation>The upgrade file can not be found.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>This file already exists.
 Do you want to overwrite it?</source>
        <translation>This file already exists.
 Do you want to overwrite it?</translation>
    </message>
    <message>
        <location line="+29" />
        <source>File Copy</source>
        <translation>File Copy</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Complete!!</source>
        <translation>Complete!!</translation>
    </message>
    <message>
        <location line="+0" />
        <source>File copy failed.</source>
        <translation>File copy failed.</translation>
    </message>
</context>
<context>
    <name>DlgConfig</name>
    <message>
        <location filename="../../setup/DlgConfig.ui" line="+14" />
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <location line="+25" />
        <source>디바이스</source>
        <translation>Device</translation>
    </message>
    <message>
        <location line="+22" />
        <source>카메라</source>
        <translation>Camera</translation>
    </message>
    <message>
        <location line="+22" />
        <source>저장소</source>
        <translation>Storage</translation>
    </message>
    <message>
        <location line="+22" />
        <source>업그레이드</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <location line="+22" />
        <source>뷰어</source>
        <translation>Viewer</translation>
    </message>
    <message>
        <location filename="../../setup/DlgConfig.cpp" line="+139" />
        <location filename="../../setup/SetupEditor.cpp" line="+47" />
        <source>Configuration</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The setting file could not be saved. The file on the card is unchanged.
%1
%2</source>
        <translation>The setting file could not be saved. The file on the card is unchanged.
%1
%2</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <location filename="../../setup/SetupEditor.cpp" line="+1" />
        <source> There is not a setting file.</source>
        <translation> There is not a setting file.</translation>
    </message>
</context>
<context>
    <name>DlgSelDrive</name>
    <message>
        <location filename="../../widgets/DlgSelDrive.cpp" line="+16" />
        <source>Select Drive</source>
        <translation>Select Drive</translation>
    </message>
    <message>
        <location line="+16" />
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>GLWidget</name>
    <message>
        <location filename="../../display/GLWidget.cpp" line="+518" />
        <source>D-ZOOM</source>
        <translation>D-ZOOM</translation>
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
        <translation>Recorder setup</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Maximize</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+77"/>
        <source>Folders</source>
        <translation>Folders</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Recordings</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Start time</source>
        <translation>Start time</translation>
    </message>
    <message>
        <location line="+78"/>
        <source>Show or hide the folder bar</source>
        <translation>Show or hide the folder bar</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Show or hide the layout bar</source>
        <translation>Show or hide the layout bar</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>One view</source>
        <translation>One view</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Four views</source>
        <translation>Four views</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Nine views</source>
        <translation>Nine views</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>Previous channels</source>
        <translation>Previous channels</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Next channels</source>
        <translation>Next channels</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Show or hide the control bar</source>
        <translation>Show or hide the control bar</translation>
    </message>
    <message>
        <location line="+140"/>
        <source>Open a larger map</source>
        <translation>Open a larger map</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>Vehicle</source>
        <translation>Vehicle</translation>
    </message>
    <message>
        <location line="+42"/>
        <location filename="../../app/ReadOuts.cpp" line="+31"/>
        <source>No Date</source>
        <translation>No Date</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Graph</source>
        <translation>Graph</translation>
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
        <translation>Layout 1</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>Map</source>
        <translation type="vanished">Map</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Playing recordings</source>
        <translation>Playing recordings</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Warging</source>
        <translation>Warging</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>It is a file recorded in the old version. Some information can not be read.</source>
        <translation>It is a file recorded in the old version. Some information can not be read.</translation>
    </message>
    <message>
        <location line="+436"/>
        <source>Close all Channels</source>
        <translation>Close all Channels</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Close the selected channels</source>
        <translation>Close the selected channels</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Auto Stream</source>
        <translation>Auto Stream</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>1st Stream</source>
        <translation>1st Stream</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>2nd Stream</source>
        <translation>2nd Stream</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mode(Live or PB)</source>
        <translation>Mode(Live or PB)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Date/Time</source>
        <translation>Date/Time</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Resolution</source>
        <translation>Resolution</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Channel Title</source>
        <translation>Channel Title</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Site Name</source>
        <translation>Site Name</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Show Text</source>
        <translation>Show Text</translation>
    </message>
    <message>
        <location line="+96"/>
        <location line="+15"/>
        <source>Configuration</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <location line="-15"/>
        <source> There is not a setting file.</source>
        <translation> There is not a setting file.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The recorder setup editor is not available yet.
%1</source>
        <translation type="vanished">The recorder setup editor is not available yet.
%1</translation>
    </message>
    <message>
        <location filename="../../app/ReadOuts.cpp" line="-1"/>
        <source> MPH </source>
        <translation> MPH </translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>Capture image success </source>
        <translation>Capture image success </translation>
    </message>
    <message>
        <source>Save Image</source>
        <translation>Save Image</translation>
    </message>
    <message>
        <source>     Error capture image.     </source>
        <translation>     Error capture image.     </translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a folder.</source>
        <translation>&quot;%1&quot; is not a folder.</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; does not exist.</source>
        <translation>The folder &quot;%1&quot; does not exist.</translation>
    </message>
    <message>
        <source>Save frame</source>
        <translation>Save frame</translation>
    </message>
    <message>
        <source>The view shows no picture yet.</source>
        <translation>The view shows no picture yet.</translation>
    </message>
    <message>
        <source>The picture was saved:</source>
        <translation>The picture was saved:</translation>
    </message>
    <message>
        <source>The picture could not be saved in:</source>
        <translation>The picture could not be saved in:</translation>
    </message>
    <message>
        <source>Close channel</source>
        <translation>Close channel</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>About Korvel</source>
        <translation>About Korvel</translation>
    </message>
    <message>
        <source>Open a card or a day folder</source>
        <translation>Open a card or a day folder</translation>
    </message>
    <message>
        <source>Click or drag to play from there; the wheel zooms.</source>
        <translation>Click or drag to play from there; the wheel zooms.</translation>
    </message>
    <message>
        <source>5 s</source>
        <translation>5 s</translation>
    </message>
    <message>
        <source>60 s</source>
        <translation>60 s</translation>
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
        <translation>User Name</translation>
    </message>
    <message>
        <location line="+10" />
        <source>ozrec</source>
        <translation>ozrec</translation>
    </message>
    <message>
        <location line="+26" />
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Confirm Passowrd</source>
        <translation>Confirm Password</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Auto Login</source>
        <translation>Auto Login</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Save User Name</source>
        <translation>Save User Name</translation>
    </message>
    <message>
        <location line="+31" />
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
</context>
<context>
    <name>QGnomeTheme</name>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
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
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abort</translation>
    </message>
</context>
<context>
    <name>ShockSettingBox</name>
    <message>
        <source>Shock events</source>
        <translation>Shock events</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source> g</source>
        <translation> g</translation>
    </message>
    <message>
        <source>From the recorder</source>
        <translation>From the recorder</translation>
    </message>
    <message>
        <source>From the recorder: the driving shock levels 1-10 of its setup, 0.3 g + 0.2 g x (10 - level) per axis (level 5: 1.3 g).</source>
        <translation>From the recorder: the driving shock levels 1-10 of its setup, 0.3 g + 0.2 g x (10 - level) per axis (level 5: 1.3 g).</translation>
    </message>
</context>
<context>
    <name>UCDayPanel</name>
    <message>
        <source>Trip</source>
        <translation>Trip</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Distance</translation>
    </message>
    <message>
        <source>Driving time</source>
        <translation>Driving time</translation>
    </message>
    <message>
        <source>Top speed</source>
        <translation>Top speed</translation>
    </message>
    <message>
        <source>Average moving speed</source>
        <translation>Average moving speed</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Shock</source>
        <translation>Shock</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>Reading the day&apos;s track and shocks...</source>
        <translation>Reading the day&apos;s track and shocks...</translation>
    </message>
    <message>
        <source>This day could not be read.</source>
        <translation>This day could not be read.</translation>
    </message>
    <message>
        <source>Open a day to see its trip.</source>
        <translation>Open a day to see its trip.</translation>
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
        <translation>No GPS or G-sensor data on this day.</translation>
    </message>
    <message>
        <source>No GPS fix on this day.</source>
        <translation>No GPS fix on this day.</translation>
    </message>
    <message>
        <source>From the G-sensor log: no recording at this time</source>
        <translation>From the G-sensor log: no recording at this time</translation>
    </message>
</context>
<context>
    <name>Shortcuts</name>
    <message>
        <source>Play or pause</source>
        <translation>Play or pause</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Play forward, faster each time (x1, x2 ... x64)</source>
        <translation>Play forward, faster each time (x1, x2 ... x64)</translation>
    </message>
    <message>
        <source>Play backward, faster each time (x-1, x-2 ... x-64)</source>
        <translation>Play backward, faster each time (x-1, x-2 ... x-64)</translation>
    </message>
    <message>
        <source>One picture forward</source>
        <translation>One picture forward</translation>
    </message>
    <message>
        <source>One picture backward</source>
        <translation>One picture backward</translation>
    </message>
    <message>
        <source>5 seconds back</source>
        <translation>5 seconds back</translation>
    </message>
    <message>
        <source>5 seconds forward</source>
        <translation>5 seconds forward</translation>
    </message>
    <message>
        <source>60 seconds back</source>
        <translation>60 seconds back</translation>
    </message>
    <message>
        <source>60 seconds forward</source>
        <translation>60 seconds forward</translation>
    </message>
    <message>
        <source>First recording</source>
        <translation>First recording</translation>
    </message>
    <message>
        <source>Last recording</source>
        <translation>Last recording</translation>
    </message>
    <message>
        <source>Previous recording of the list</source>
        <translation>Previous recording of the list</translation>
    </message>
    <message>
        <source>Next recording of the list</source>
        <translation>Next recording of the list</translation>
    </message>
    <message>
        <source>One view</source>
        <translation>One view</translation>
    </message>
    <message>
        <source>Four views</source>
        <translation>Four views</translation>
    </message>
    <message>
        <source>Nine views</source>
        <translation>Nine views</translation>
    </message>
    <message>
        <source>Previous group of views</source>
        <translation>Previous group of views</translation>
    </message>
    <message>
        <source>Next group of views</source>
        <translation>Next group of views</translation>
    </message>
    <message>
        <source>Capture the selected view as shown</source>
        <translation>Capture the selected view as shown</translation>
    </message>
    <message>
        <source>Save the selected view&apos;s picture at its own size</source>
        <translation>Save the selected view&apos;s picture at its own size</translation>
    </message>
    <message>
        <source>Full screen on or off</source>
        <translation>Full screen on or off</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Leave full screen</translation>
    </message>
    <message>
        <source>Close the selected view</source>
        <translation>Close the selected view</translation>
    </message>
    <message>
        <source>Open a card or a day folder</source>
        <translation>Open a card or a day folder</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Volume down</source>
        <translation>Volume down</translation>
    </message>
    <message>
        <source>Volume up</source>
        <translation>Volume up</translation>
    </message>
    <message>
        <source>Sound off or on</source>
        <translation>Sound off or on</translation>
    </message>
    <message>
        <source>Start of the stretch to export (in point)</source>
        <translation>Start of the stretch to export (in point)</translation>
    </message>
    <message>
        <source>End of the stretch to export (out point)</source>
        <translation>End of the stretch to export (out point)</translation>
    </message>
    <message>
        <source>Export the stretch: clips, evidence video or track</source>
        <translation>Export the stretch: clips, evidence video or track</translation>
    </message>
    <message>
        <source>This list of keys</source>
        <translation>This list of keys</translation>
    </message>
</context>
<context>
    <name>UCDisplayFrame</name>
    <message>
        <source>Korvel Lite Version</source>
        <translation>Korvel Lite Version</translation>
    </message>
    <message>
        <source>Korvel lite version only supports up to 36 channels.</source>
        <translation>Korvel lite version only supports up to 36 channels.</translation>
    </message>
    <message>
        <source>No Channel</source>
        <translation>No Channel</translation>
    </message>
    <message>
        <source>LIVE</source>
        <translation>LIVE</translation>
    </message>
    <message>
        <source>PAUSED</source>
        <translation>PAUSED</translation>
    </message>
    <message>
        <source>PLAY</source>
        <translation>PLAY</translation>
    </message>
    <message>
        <source>END</source>
        <translation>END</translation>
    </message>
    <message>
        <source>NO RECORDING</source>
        <translation>NO RECORDING</translation>
    </message>
    <message>
        <source>Close Channel(s)</source>
        <translation>Close Channel(s)</translation>
    </message>
    <message>
        <source>Do you want to close the selected channel(s)?</source>
        <translation>Do you want to close the selected channel(s)?</translation>
    </message>
</context>
<context>
    <name>UCDlgAbout</name>
    <message>
        <location filename="../../app/UCDlgAbout.cpp" line="+9"/>
        <source>About Korvel</source>
        <translation>About Korvel</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Korvel Vehicle Recording Viewer</source>
        <translation>Korvel Vehicle Recording Viewer</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Version </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Keyboard shortcuts</translation>
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
        <translation>Are you sure you want to close Korvel?</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Don&apos;t ask me again.</source>
        <translation>Don&apos;t ask me again.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
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
        <translation>Warning</translation>
    </message>
    <message>
        <location line="-33" />
        <source>For the first run, you will be requested to enter User ID and Password provided from the manual.</source>
        <translation>For the first run, you will be requested to enter User ID and Password provided from the manual.</translation>
    </message>
    <message>
        <location line="+14" />
        <source>The user id must not be empty.</source>
        <translation>The user id must not be empty.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>A password does not match a confirm password</source>
        <translation>A password does not match a confirm password</translation>
    </message>
    <message>
        <location line="+10" />
        <source>The user id is incorrect.</source>
        <translation>The user id is incorrect.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The password is incorrect.</source>
        <translation>The password is incorrect.</translation>
    </message>
</context>
<context>
    <name>UCDlgShortcuts</name>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Keyboard shortcuts</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Action</translation>
    </message>
</context>
<context>
    <name>UCPlaybackStrip</name>
    <message>
        <location filename="../../app/UCPlaybackStrip.cpp" line="+131"/>
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>FirstPlay</source>
        <translation>FirstPlay</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>LastPlay</source>
        <translation>LastPlay</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>RewindSpeed</source>
        <translation>RewindSpeed</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>BackFrame</source>
        <translation>BackFrame</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ForwordFrame</source>
        <translation>ForwordFrame</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>FastSpeed</source>
        <translation>FastSpeed</translation>
    </message>
    <message>
        <source>Sound on</source>
        <translation>Sound on</translation>
    </message>
    <message>
        <source>Sound off</source>
        <translation>Sound off</translation>
    </message>
    <message>
        <source>Volume %1%</source>
        <translation>Volume %1%</translation>
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
        <translation>Close</translation>
    </message>
    <message>
        <location line="+1" />
        <location line="+4" />
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message>
        <location line="-3" />
        <location line="+4" />
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <location line="-3" />
        <location line="+1" />
        <source>D-Zoom</source>
        <translation>D-Zoom</translation>
    </message>
</context>
<context>
    <name>UCDlgExport</name>
    <message>
        <source>Export...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Day</translation>
    </message>
    <message>
        <source>Export as</source>
        <translation>Export as</translation>
    </message>
    <message>
        <source>Clips: one MP4 per channel, pictures as recorded</source>
        <translation>Clips: one MP4 per channel, pictures as recorded</translation>
    </message>
    <message>
        <source>Evidence video: channels in a grid, date, time, speed and position burned in</source>
        <translation>Evidence video: channels in a grid, date, time, speed and position burned in</translation>
    </message>
    <message>
        <source>Track as GPX</source>
        <translation>Track as GPX</translation>
    </message>
    <message>
        <source>Track as KML (Google Earth)</source>
        <translation>Track as KML (Google Earth)</translation>
    </message>
    <message>
        <source>Track as CSV (spreadsheet)</source>
        <translation>Track as CSV (spreadsheet)</translation>
    </message>
    <message>
        <source>From</source>
        <translation>From</translation>
    </message>
    <message>
        <source>to</source>
        <translation>to</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Save in</source>
        <translation>Save in</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>The day folder holds no recordings.</source>
        <translation>The day folder holds no recordings.</translation>
    </message>
    <message>
        <source>Open a day folder first.</source>
        <translation>Open a day folder first.</translation>
    </message>
    <message>
        <source>The end of the range must come after its start.</source>
        <translation>The end of the range must come after its start.</translation>
    </message>
    <message>
        <source>Tick at least one channel.</source>
        <translation>Tick at least one channel.</translation>
    </message>
    <message>
        <source>An evidence video holds at most 9 channels.</source>
        <translation>An evidence video holds at most 9 channels.</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>The folder %1 does not exist.</translation>
    </message>
    <message>
        <source>Replace the existing files?
%1</source>
        <translation>Replace the existing files?
%1</translation>
    </message>
    <message>
        <source>Exporting...</source>
        <translation>Exporting...</translation>
    </message>
    <message>
        <source>Exporting... %1 left</source>
        <translation>Exporting... %1 left</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>Saved %1 files in %2</source>
        <translation>Saved %1 files in %2</translation>
    </message>
    <message>
        <source>Cancelled: nothing was saved.</source>
        <translation>Cancelled: nothing was saved.</translation>
    </message>
</context>
</TS>
