<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
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
        <translation>%1  충격 %2 g (%3)</translation>
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
        <translation>%1 충격 %2 g (%3)</translation>
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
        <translation>줄 바꿈이나 다른 제어 문자는 넣을 수 없습니다.</translation>
    </message>
    <message>
        <source>The text may hold at most %1 characters.</source>
        <translation>최대 %1자까지 입력할 수 있습니다.</translation>
    </message>
    <message>
        <source>The text holds characters the recorder cannot store.</source>
        <translation>블랙박스가 저장할 수 없는 문자가 들어 있습니다.</translation>
    </message>
    <message>
        <source>The value must be 1 or 0.</source>
        <translation>값은 1 또는 0이어야 합니다.</translation>
    </message>
    <message>
        <source>The value must be a whole number from %1 to %2.</source>
        <translation>값은 %1에서 %2 사이의 정수여야 합니다.</translation>
    </message>
    <message>
        <source>This recorder&apos;s firmware does not offer %1.</source>
        <translation>이 블랙박스의 펌웨어는 %1을(를) 지원하지 않습니다.</translation>
    </message>
    <message>
        <source>The value must be one of %1.</source>
        <translation>값은 %1 중 하나여야 합니다.</translation>
    </message>
    <message>
        <source>The value must be a date written yyyyMMdd.</source>
        <translation>값은 yyyyMMdd 형식의 날짜여야 합니다.</translation>
    </message>
    <message>
        <source>The value must be a time written hhmmss.</source>
        <translation>값은 hhmmss 형식의 시간이어야 합니다.</translation>
    </message>
    <message>
        <source>%1 is not a setting of this recorder.</source>
        <translation>%1은(는) 이 블랙박스의 설정이 아닙니다.</translation>
    </message>
    <message>
        <source>%1 cannot be written.</source>
        <translation>%1을(를) 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>%1 is not a file</source>
        <translation>%1 은(는) 파일이 아닙니다</translation>
    </message>
</context>
<context>
    <name>ConfigApp</name>
    <message>
        <location filename="../../setup/ConfigApp.ui" line="+32" />
        <source>로그인</source>
        <translation>로그인</translation>
    </message>
    <message>
        <location line="+12" />
        <source>User ID</source>
        <translation>사용자 ID</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Password</source>
        <translation>비밀번호</translation>
    </message>
    <message>
        <location line="+17" />
        <source>Auto Login</source>
        <translation>자동 로그인</translation>
    </message>
    <message>
        <location line="+7" />
        <source>RememberMe</source>
        <translation>ID 저장</translation>
    </message>
    <message>
        <location line="+10" />
        <source>속도 표시</source>
        <translation>속도 표시</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Km</source>
        <translation>km</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Miles</source>
        <translation>마일</translation>
    </message>
    <message>
        <source>Unchanged</source>
        <translation>변경 안 함</translation>
    </message>
    <message>
        <source>Confirm Password</source>
        <translation>비밀번호 확인</translation>
    </message>
    <message>
        <source>The user id must not be empty.</source>
        <translation>사용자 ID를 비워 둘 수 없습니다.</translation>
    </message>
    <message>
        <source>A password does not match a confirm password</source>
        <translation>비밀번호와 확인 비밀번호가 일치하지 않습니다.</translation>
    </message>
    <message>
        <source>Captured pictures</source>
        <translation>캡처 이미지</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>찾아보기...</translation>
    </message>
    <message>
        <source>Folder for captured pictures</source>
        <translation>캡처 이미지 저장 폴더</translation>
    </message>
</context>
<context>
    <name>ConfigCamera</name>
    <message>
        <location filename="../../setup/ConfigCamera.cpp" line="+66" />
        <source>TITLE</source>
        <translation>제목</translation>
    </message>
    <message>
        <location line="+0" />
        <source>MIRROR</source>
        <translation>좌우 반전</translation>
    </message>
    <message>
        <location line="+0" />
        <source>FLIP</source>
        <translation>상하 반전</translation>
    </message>
    <message>
        <location line="+1" />
        <source>FRAME</source>
        <translation>프레임</translation>
    </message>
    <message>
        <location line="+0" />
        <source>BITRATE</source>
        <translation>비트레이트</translation>
    </message>
    <message>
        <location line="+0" />
        <source>SENSITIVITY</source>
        <translation>감도</translation>
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
        <translation>차량설정</translation>
    </message>
    <message>
        <location line="+6" />
        <source>차량번호</source>
        <translation>차량번호</translation>
    </message>
    <message>
        <location line="+17" />
        <source>WiFi 설정</source>
        <translation>WiFi 설정</translation>
    </message>
    <message>
        <location line="+6" />
        <source>비밀번호</source>
        <translation>비밀번호</translation>
    </message>
    <message>
        <location line="+17" />
        <source>시간설정</source>
        <translation>시간설정</translation>
    </message>
    <message>
        <location line="+6" />
        <source>GPS 시간 동기 사용</source>
        <translation>GPS 시간 동기 사용</translation>
    </message>
    <message>
        <location line="+10" />
        <source>블랙박스 시간 재설정</source>
        <translation>블랙박스 시간 재설정</translation>
    </message>
    <message>
        <location line="+20" />
        <source>타임존</source>
        <translation>타임존</translation>
    </message>
    <message>
        <location line="+40" />
        <source>충격설정</source>
        <translation>충격설정</translation>
    </message>
    <message>
        <location line="+6" />
        <source>주행</source>
        <translation>주행</translation>
    </message>
    <message>
        <location line="+10" />
        <source>주차</source>
        <translation>주차</translation>
    </message>
    <message>
        <location line="+298" />
        <source>배터리보호</source>
        <translation>배터리보호</translation>
    </message>
    <message>
        <location line="+6" />
        <source>배터리 전압 사용</source>
        <translation>배터리 전압 사용</translation>
    </message>
    <message>
        <location line="+71" />
        <source>시간 사용</source>
        <translation>시간 사용</translation>
    </message>
    <message>
        <location line="+44" />
        <source>마이크</source>
        <translation>마이크</translation>
    </message>
    <message>
        <location line="+6" />
        <source>마이크 사용</source>
        <translation>마이크 사용</translation>
    </message>
    <message>
        <location line="+10" />
        <source>볼륨</source>
        <translation>볼륨</translation>
    </message>
</context>
<context>
    <name>ConfigStorage</name>
    <message>
        <location filename="../../setup/ConfigStorage.ui" line="+32" />
        <source>저장 공간 배분</source>
        <translation>저장 공간 배분</translation>
    </message>
    <message>
        <location line="+379" />
        <source>&lt;p&gt;&lt;b&gt;D&lt;/b&gt; : 주행 &amp;nbsp; &lt;b&gt;P&lt;/b&gt; : 주차&lt;/p&gt;&lt;p&gt;&lt;b&gt;N&lt;/b&gt; : 일반 &amp;nbsp; &lt;b&gt;S&lt;/b&gt; : 충격 &amp;nbsp; &lt;b&gt;M&lt;/b&gt; : 움직임&lt;/p&gt;&lt;p&gt;D.N(20) = 주행 중 일반 녹화에 저장소의 20%&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;D&lt;/b&gt; : 주행 &amp;nbsp; &lt;b&gt;P&lt;/b&gt; : 주차&lt;/p&gt;&lt;p&gt;&lt;b&gt;N&lt;/b&gt; : 일반 &amp;nbsp; &lt;b&gt;S&lt;/b&gt; : 충격 &amp;nbsp; &lt;b&gt;M&lt;/b&gt; : 움직임&lt;/p&gt;&lt;p&gt;D.N(20) = 주행 중 일반 녹화에 저장소의 20%&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>ConfigUpgrade</name>
    <message>
        <location filename="../../setup/ConfigUpgrade.ui" line="+29" />
        <source>펌웨어 업그레이드</source>
        <translation>펌웨어 업그레이드</translation>
    </message>
    <message>
        <location line="+12" />
        <source>블랙박스 펌웨어 버전</source>
        <translation>블랙박스 펌웨어 버전</translation>
    </message>
    <message>
        <location line="+17" />
        <source>업그레이드 버전</source>
        <translation>업그레이드 버전</translation>
    </message>
    <message>
        <location line="+17" />
        <source>search</source>
        <translation>찾기</translation>
    </message>
    <message>
        <location line="+17" />
        <source>copy</source>
        <translation>복사</translation>
    </message>
    <message>
        <location filename="../../setup/ConfigUpgrade.cpp" line="+35" />
        <source>Open File</source>
        <translation>파일 열기</translation>
    </message>
    <message>
        <location line="+1" />
        <source>bin file (zd-*.bin)</source>
        <translation>bin 파일 (zd-*.bin)</translation>
    </message>
    <message>
        <location line="+36" />
        <location line="+5" />
        <source>Upgrade file</source>
        <translation>업그레이드 파일</translation>
    </message>
    <message>
        <location line="-5" />
        <source>The upgrade file can not be found.</source>
        <translation>업그레이드 파일을 찾을 수 없습니다.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>This file already exists.
 Do you want to overwrite it?</source>
        <translation>이 파일이 이미 있습니다.
덮어쓰시겠습니까?</translation>
    </message>
    <message>
        <location line="+29" />
        <source>File Copy</source>
        <translation>파일 복사</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Complete!!</source>
        <translation>완료!!</translation>
    </message>
    <message>
        <location line="+0" />
        <source>File copy failed.</source>
        <translation>파일 복사에 실패했습니다.</translation>
    </message>
</context>
<context>
    <name>DlgConfig</name>
    <message>
        <location filename="../../setup/DlgConfig.ui" line="+14" />
        <source>Option</source>
        <translation>옵션</translation>
    </message>
    <message>
        <location line="+25" />
        <source>디바이스</source>
        <translation>디바이스</translation>
    </message>
    <message>
        <location line="+22" />
        <source>카메라</source>
        <translation>카메라</translation>
    </message>
    <message>
        <location line="+22" />
        <source>저장소</source>
        <translation>저장소</translation>
    </message>
    <message>
        <location line="+22" />
        <source>업그레이드</source>
        <translation>업그레이드</translation>
    </message>
    <message>
        <location line="+22" />
        <source>뷰어</source>
        <translation>뷰어</translation>
    </message>
    <message>
        <location filename="../../setup/DlgConfig.cpp" line="+139" />
        <location filename="../../setup/SetupEditor.cpp" line="+47" />
        <source>Configuration</source>
        <translation>설정</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The setting file could not be saved. The file on the card is unchanged.
%1
%2</source>
        <translation>설정 파일을 저장할 수 없습니다. 카드의 파일은 변경되지 않았습니다.
%1
%2</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Warning</source>
        <translation>경고</translation>
    </message>
    <message>
        <location filename="../../setup/SetupEditor.cpp" line="+1" />
        <source> There is not a setting file.</source>
        <translation> 설정 파일이 없습니다.</translation>
    </message>
</context>
<context>
    <name>DlgSelDrive</name>
    <message>
        <location filename="../../widgets/DlgSelDrive.cpp" line="+16" />
        <source>Select Drive</source>
        <translation>드라이브 선택</translation>
    </message>
    <message>
        <location line="+16" />
        <source>OK</source>
        <translation>확인</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
</context>
<context>
    <name>GLWidget</name>
    <message>
        <location filename="../../display/GLWidget.cpp" line="+518" />
        <source>D-ZOOM</source>
        <translation>D-줌</translation>
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
        <translation>녹화기 설정</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>About</source>
        <translation>정보</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Minimize</source>
        <translation>최소화</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Maximize</source>
        <translation>최대화</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <location line="+77"/>
        <source>Folders</source>
        <translation>폴더</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Recordings</source>
        <translation>녹화 파일</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Start time</source>
        <translation>시작 시간</translation>
    </message>
    <message>
        <location line="+78"/>
        <source>Show or hide the folder bar</source>
        <translation>폴더 바 표시/숨기기</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Show or hide the layout bar</source>
        <translation>레이아웃 바 표시/숨기기</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>One view</source>
        <translation>1화면</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Four views</source>
        <translation>4분할</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Nine views</source>
        <translation>9분할</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>Previous channels</source>
        <translation>이전 채널</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Next channels</source>
        <translation>다음 채널</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Show or hide the control bar</source>
        <translation>제어 바 표시/숨기기</translation>
    </message>
    <message>
        <location line="+140"/>
        <source>Open a larger map</source>
        <translation>큰 지도 열기</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>Vehicle</source>
        <translation>차량</translation>
    </message>
    <message>
        <location line="+42"/>
        <location filename="../../app/ReadOuts.cpp" line="+31"/>
        <source>No Date</source>
        <translation>날짜 없음</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Graph</source>
        <translation>그래프</translation>
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
        <translation>레이아웃 1</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>Map</source>
        <translation type="vanished">지도</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Playing recordings</source>
        <translation>녹화 영상 재생 중</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Warging</source>
        <translation>경고</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>It is a file recorded in the old version. Some information can not be read.</source>
        <translation>이전 버전에서 녹화된 파일입니다. 일부 정보를 읽을 수 없습니다.</translation>
    </message>
    <message>
        <location line="+436"/>
        <source>Close all Channels</source>
        <translation>모든 채널 닫기</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Close the selected channels</source>
        <translation>선택한 채널 닫기</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Auto Stream</source>
        <translation>자동 스트림</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>1st Stream</source>
        <translation>1st 스트림</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>2nd Stream</source>
        <translation>2nd 스트림</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mode(Live or PB)</source>
        <translation>모드(라이브/재생)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Date/Time</source>
        <translation>날짜/시간</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Resolution</source>
        <translation>해상도</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Channel Title</source>
        <translation>채널 이름</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Site Name</source>
        <translation>사이트 이름</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Refresh</source>
        <translation>새로 고침</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Show Text</source>
        <translation>텍스트 표시</translation>
    </message>
    <message>
        <location line="+96"/>
        <location line="+15"/>
        <source>Configuration</source>
        <translation>설정</translation>
    </message>
    <message>
        <location line="-15"/>
        <source> There is not a setting file.</source>
        <translation> 설정 파일이 없습니다.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The recorder setup editor is not available yet.
%1</source>
        <translation type="vanished">녹화기 설정 편집기를 아직 사용할 수 없습니다.
%1</translation>
    </message>
    <message>
        <location filename="../../app/ReadOuts.cpp" line="-1"/>
        <source> MPH </source>
        <translation> MPH </translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>캡처</translation>
    </message>
    <message>
        <source>Capture image success </source>
        <translation>이미지 캡처 성공 </translation>
    </message>
    <message>
        <source>Save Image</source>
        <translation>이미지 저장</translation>
    </message>
    <message>
        <source>     Error capture image.     </source>
        <translation>     이미지 캡처 오류.     </translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>속도</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>열기</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a folder.</source>
        <translation>&quot;%1&quot;은(는) 폴더가 아닙니다.</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; does not exist.</source>
        <translation>&quot;%1&quot; 폴더가 없습니다.</translation>
    </message>
    <message>
        <source>Save frame</source>
        <translation>프레임 저장</translation>
    </message>
    <message>
        <source>The view shows no picture yet.</source>
        <translation>이 화면에는 아직 영상이 없습니다.</translation>
    </message>
    <message>
        <source>The picture was saved:</source>
        <translation>이미지를 저장했습니다:</translation>
    </message>
    <message>
        <source>The picture could not be saved in:</source>
        <translation>다음 위치에 이미지를 저장할 수 없습니다:</translation>
    </message>
    <message>
        <source>Close channel</source>
        <translation>채널 닫기</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>인쇄</translation>
    </message>
    <message>
        <source>About Korvel</source>
        <translation>Korvel 정보</translation>
    </message>
    <message>
        <source>Open a card or a day folder</source>
        <translation>카드 또는 날짜 폴더 열기</translation>
    </message>
    <message>
        <source>Click or drag to play from there; the wheel zooms.</source>
        <translation>클릭하거나 끌면 그 위치부터 재생하고, 휠로 확대/축소합니다.</translation>
    </message>
    <message>
        <source>5 s</source>
        <translation>5초</translation>
    </message>
    <message>
        <source>60 s</source>
        <translation>60초</translation>
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
        <translation>사용자 이름</translation>
    </message>
    <message>
        <location line="+10" />
        <source>ozrec</source>
        <translation>ozrec</translation>
    </message>
    <message>
        <location line="+26" />
        <source>Password</source>
        <translation>비밀번호</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Confirm Passowrd</source>
        <translation>비밀번호 확인</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Auto Login</source>
        <translation>자동 로그인</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Save User Name</source>
        <translation>사용자 이름 저장</translation>
    </message>
    <message>
        <location line="+31" />
        <source>OK</source>
        <translation>확인</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
</context>
<context>
    <name>QGnomeTheme</name>
    <message>
        <source>&amp;OK</source>
        <translation>확인(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>취소(&amp;C)</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>확인</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>아니요(&amp;N)</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>중단</translation>
    </message>
</context>
<context>
    <name>ShockSettingBox</name>
    <message>
        <source>Shock events</source>
        <translation>충격 이벤트</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>임계값</translation>
    </message>
    <message>
        <source> g</source>
        <translation> g</translation>
    </message>
    <message>
        <source>From the recorder</source>
        <translation>레코더 설정</translation>
    </message>
    <message>
        <source>From the recorder: the driving shock levels 1-10 of its setup, 0.3 g + 0.2 g x (10 - level) per axis (level 5: 1.3 g).</source>
        <translation>레코더 설정: 주행 충격 레벨 1~10을 축마다 0.3 g + 0.2 g × (10 − 레벨)로 봅니다 (레벨 5: 1.3 g).</translation>
    </message>
</context>
<context>
    <name>UCDayPanel</name>
    <message>
        <source>Trip</source>
        <translation>주행 요약</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>거리</translation>
    </message>
    <message>
        <source>Driving time</source>
        <translation>주행 시간</translation>
    </message>
    <message>
        <source>Top speed</source>
        <translation>최고 속도</translation>
    </message>
    <message>
        <source>Average moving speed</source>
        <translation>평균 주행 속도</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>이벤트</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시각</translation>
    </message>
    <message>
        <source>Shock</source>
        <translation>충격</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>속도</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1초</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1분</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1시간 %2분</translation>
    </message>
    <message>
        <source>Reading the day&apos;s track and shocks...</source>
        <translation>이 날의 경로와 충격을 읽는 중...</translation>
    </message>
    <message>
        <source>This day could not be read.</source>
        <translation>이 날을 읽을 수 없습니다.</translation>
    </message>
    <message>
        <source>Open a day to see its trip.</source>
        <translation>날짜 폴더를 열면 주행 요약이 표시됩니다.</translation>
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
        <translation>이 날에는 GPS와 G센서 데이터가 없습니다.</translation>
    </message>
    <message>
        <source>No GPS fix on this day.</source>
        <translation>이 날에는 GPS 위치가 없습니다.</translation>
    </message>
    <message>
        <source>From the G-sensor log: no recording at this time</source>
        <translation>G센서 로그: 이 시각의 녹화가 없습니다</translation>
    </message>
</context>
<context>
    <name>Shortcuts</name>
    <message>
        <source>Play or pause</source>
        <translation>재생/일시 정지</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>일시 정지</translation>
    </message>
    <message>
        <source>Play forward, faster each time (x1, x2 ... x64)</source>
        <translation>정방향 재생, 누를 때마다 빠르게 (x1, x2 ... x64)</translation>
    </message>
    <message>
        <source>Play backward, faster each time (x-1, x-2 ... x-64)</source>
        <translation>역방향 재생, 누를 때마다 빠르게 (x-1, x-2 ... x-64)</translation>
    </message>
    <message>
        <source>One picture forward</source>
        <translation>한 프레임 앞으로</translation>
    </message>
    <message>
        <source>One picture backward</source>
        <translation>한 프레임 뒤로</translation>
    </message>
    <message>
        <source>5 seconds back</source>
        <translation>5초 뒤로</translation>
    </message>
    <message>
        <source>5 seconds forward</source>
        <translation>5초 앞으로</translation>
    </message>
    <message>
        <source>60 seconds back</source>
        <translation>60초 뒤로</translation>
    </message>
    <message>
        <source>60 seconds forward</source>
        <translation>60초 앞으로</translation>
    </message>
    <message>
        <source>First recording</source>
        <translation>첫 녹화</translation>
    </message>
    <message>
        <source>Last recording</source>
        <translation>마지막 녹화</translation>
    </message>
    <message>
        <source>Previous recording of the list</source>
        <translation>목록의 이전 녹화</translation>
    </message>
    <message>
        <source>Next recording of the list</source>
        <translation>목록의 다음 녹화</translation>
    </message>
    <message>
        <source>One view</source>
        <translation>1화면</translation>
    </message>
    <message>
        <source>Four views</source>
        <translation>4화면</translation>
    </message>
    <message>
        <source>Nine views</source>
        <translation>9화면</translation>
    </message>
    <message>
        <source>Previous group of views</source>
        <translation>이전 화면 그룹</translation>
    </message>
    <message>
        <source>Next group of views</source>
        <translation>다음 화면 그룹</translation>
    </message>
    <message>
        <source>Capture the selected view as shown</source>
        <translation>선택한 화면을 보이는 그대로 캡처</translation>
    </message>
    <message>
        <source>Save the selected view&apos;s picture at its own size</source>
        <translation>선택한 화면의 영상을 원래 크기로 저장</translation>
    </message>
    <message>
        <source>Full screen on or off</source>
        <translation>전체 화면 켜기/끄기</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>전체 화면 끝내기</translation>
    </message>
    <message>
        <source>Close the selected view</source>
        <translation>선택한 화면 닫기</translation>
    </message>
    <message>
        <source>Open a card or a day folder</source>
        <translation>카드 또는 날짜 폴더 열기</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>종료</translation>
    </message>
    <message>
        <source>Volume down</source>
        <translation>볼륨 낮추기</translation>
    </message>
    <message>
        <source>Volume up</source>
        <translation>볼륨 높이기</translation>
    </message>
    <message>
        <source>Sound off or on</source>
        <translation>소리 끄기/켜기</translation>
    </message>
    <message>
        <source>Start of the stretch to export (in point)</source>
        <translation>내보낼 구간의 시작 (시작점)</translation>
    </message>
    <message>
        <source>End of the stretch to export (out point)</source>
        <translation>내보낼 구간의 끝 (끝점)</translation>
    </message>
    <message>
        <source>Export the stretch: clips, evidence video or track</source>
        <translation>구간 내보내기: 클립, 증거 영상, 주행 경로</translation>
    </message>
    <message>
        <source>This list of keys</source>
        <translation>이 단축키 목록</translation>
    </message>
</context>
<context>
    <name>UCDisplayFrame</name>
    <message>
        <source>Korvel Lite Version</source>
        <translation>Korvel 라이트 버전</translation>
    </message>
    <message>
        <source>Korvel lite version only supports up to 36 channels.</source>
        <translation>Korvel 라이트 버전은 최대 36개 채널까지만 지원합니다.</translation>
    </message>
    <message>
        <source>No Channel</source>
        <translation>채널 없음</translation>
    </message>
    <message>
        <source>LIVE</source>
        <translation>라이브</translation>
    </message>
    <message>
        <source>PAUSED</source>
        <translation>일시 정지</translation>
    </message>
    <message>
        <source>PLAY</source>
        <translation>재생</translation>
    </message>
    <message>
        <source>END</source>
        <translation>종료</translation>
    </message>
    <message>
        <source>NO RECORDING</source>
        <translation>녹화 없음</translation>
    </message>
    <message>
        <source>Close Channel(s)</source>
        <translation>채널 닫기</translation>
    </message>
    <message>
        <source>Do you want to close the selected channel(s)?</source>
        <translation>선택한 채널을 닫으시겠습니까?</translation>
    </message>
</context>
<context>
    <name>UCDlgAbout</name>
    <message>
        <location filename="../../app/UCDlgAbout.cpp" line="+9"/>
        <source>About Korvel</source>
        <translation>Korvel 정보</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Korvel Vehicle Recording Viewer</source>
        <translation>Korvel 차량 녹화 뷰어</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Version </source>
        <translation>버전 </translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>키보드 단축키</translation>
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
        <translation>Korvel을 종료하시겠습니까?</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Don&apos;t ask me again.</source>
        <translation>다시 묻지 않음.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>OK</source>
        <translation>확인</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>취소</translation>
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
        <translation>경고</translation>
    </message>
    <message>
        <location line="-33" />
        <source>For the first run, you will be requested to enter User ID and Password provided from the manual.</source>
        <translation>처음 실행할 때는 설명서에 있는 사용자 ID와 비밀번호를 입력해야 합니다.</translation>
    </message>
    <message>
        <location line="+14" />
        <source>The user id must not be empty.</source>
        <translation>사용자 ID를 비워 둘 수 없습니다.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>A password does not match a confirm password</source>
        <translation>비밀번호와 확인 비밀번호가 일치하지 않습니다.</translation>
    </message>
    <message>
        <location line="+10" />
        <source>The user id is incorrect.</source>
        <translation>사용자 ID가 올바르지 않습니다.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The password is incorrect.</source>
        <translation>비밀번호가 올바르지 않습니다.</translation>
    </message>
</context>
<context>
    <name>UCDlgShortcuts</name>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>키보드 단축키</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>키</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>동작</translation>
    </message>
</context>
<context>
    <name>UCPlaybackStrip</name>
    <message>
        <location filename="../../app/UCPlaybackStrip.cpp" line="+131"/>
        <source>Play</source>
        <translation>재생</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Pause</source>
        <translation>일시 정지</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>FirstPlay</source>
        <translation>처음부터 재생</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>LastPlay</source>
        <translation>마지막 재생</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>RewindSpeed</source>
        <translation>되감기</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>BackFrame</source>
        <translation>이전 프레임</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ForwordFrame</source>
        <translation>다음 프레임</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>FastSpeed</source>
        <translation>빨리 감기</translation>
    </message>
    <message>
        <source>Sound on</source>
        <translation>소리 켜기</translation>
    </message>
    <message>
        <source>Sound off</source>
        <translation>소리 끄기</translation>
    </message>
    <message>
        <source>Volume %1%</source>
        <translation>볼륨 %1%</translation>
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
        <translation>닫기</translation>
    </message>
    <message>
        <location line="+1" />
        <location line="+4" />
        <source>Capture</source>
        <translation>캡처</translation>
    </message>
    <message>
        <location line="-3" />
        <location line="+4" />
        <source>Print</source>
        <translation>인쇄</translation>
    </message>
    <message>
        <location line="-3" />
        <location line="+1" />
        <source>D-Zoom</source>
        <translation>디지털 줌</translation>
    </message>
</context>
<context>
    <name>UCDlgExport</name>
    <message>
        <source>Export...</source>
        <translation>내보내기...</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>내보내기</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Export as</source>
        <translation>형식</translation>
    </message>
    <message>
        <source>Clips: one MP4 per channel, pictures as recorded</source>
        <translation>클립: 채널마다 MP4, 녹화된 그대로의 영상</translation>
    </message>
    <message>
        <source>Evidence video: channels in a grid, date, time, speed and position burned in</source>
        <translation>증거 영상: 채널을 격자로 배치, 날짜·시간·속도·위치 삽입</translation>
    </message>
    <message>
        <source>Track as GPX</source>
        <translation>주행 경로 (GPX)</translation>
    </message>
    <message>
        <source>Track as KML (Google Earth)</source>
        <translation>주행 경로 (KML, Google Earth)</translation>
    </message>
    <message>
        <source>Track as CSV (spreadsheet)</source>
        <translation>주행 경로 (CSV, 스프레드시트)</translation>
    </message>
    <message>
        <source>From</source>
        <translation>시작</translation>
    </message>
    <message>
        <source>to</source>
        <translation>부터</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>채널</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>오디오</translation>
    </message>
    <message>
        <source>None</source>
        <translation>없음</translation>
    </message>
    <message>
        <source>Save in</source>
        <translation>저장 위치</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>찾아보기...</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>폴더 열기</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>The day folder holds no recordings.</source>
        <translation>이 날짜 폴더에는 녹화가 없습니다.</translation>
    </message>
    <message>
        <source>Open a day folder first.</source>
        <translation>먼저 날짜 폴더를 여십시오.</translation>
    </message>
    <message>
        <source>The end of the range must come after its start.</source>
        <translation>끝 시간은 시작 시간보다 뒤여야 합니다.</translation>
    </message>
    <message>
        <source>Tick at least one channel.</source>
        <translation>채널을 하나 이상 선택하십시오.</translation>
    </message>
    <message>
        <source>An evidence video holds at most 9 channels.</source>
        <translation>증거 영상에는 채널을 최대 9개까지 넣을 수 있습니다.</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>폴더 %1 이(가) 없습니다.</translation>
    </message>
    <message>
        <source>Replace the existing files?
%1</source>
        <translation>기존 파일을 바꾸시겠습니까?
%1</translation>
    </message>
    <message>
        <source>Exporting...</source>
        <translation>내보내는 중...</translation>
    </message>
    <message>
        <source>Exporting... %1 left</source>
        <translation>내보내는 중... %1 남음</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>%1 을(를) 저장했습니다</translation>
    </message>
    <message>
        <source>Saved %1 files in %2</source>
        <translation>파일 %1개를 %2 에 저장했습니다</translation>
    </message>
    <message>
        <source>Cancelled: nothing was saved.</source>
        <translation>취소했습니다. 저장된 것이 없습니다.</translation>
    </message>
</context>
</TS>
