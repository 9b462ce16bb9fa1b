<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>DlgSelDrive</name>
    <message>
        <location filename="../../app/DlgSelDrive.cpp" line="+16" />
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
        <translation>Map</translation>
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
        <translation>The recorder setup editor is not available yet.
%1</translation>
    </message>
    <message>
        <location filename="../../app/ReadOuts.cpp" line="-1"/>
        <source> MPH </source>
        <translation> MPH </translation>
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
        <translation>Confirm Passowrd</translation>
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
</TS>
