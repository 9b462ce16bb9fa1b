<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>DlgSelDrive</name>
    <message>
        <location filename="../../app/DlgSelDrive.cpp" line="+16" />
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
        <source>Close Channel(s)</source>
        <translation>채널 닫기</translation>
    </message>
    <message>
        <source>Do you want to close the selected channel(s)?</source>
        <translation>선택한 채널을 닫으시겠습니까?</translation>
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
</TS>
