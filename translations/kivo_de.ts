<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>kivo</name>
    <message>
        <source>Keep the state files (contacts, settings, login) in this folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log connection, file and start-up events on standard error.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An instant-messaging client for the Veltra network.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kivo is already running with these state files; its window was brought to the front.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kivo is already running with the state files in %1, but does not answer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line breaks and other control characters cannot be used here. Please remove them and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A name cannot contain &quot;|&quot;, line breaks or other control characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is too large (%1 bytes)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not save %1: %2
The file on disk was left as it was.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(%1 more like this)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The port was not saved: %1 cannot be read (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Private Message Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You cannot send private messages to yourself.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Receiver is banned.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to send private message to %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::ConnectionController</name>
    <message>
        <source>&amp;Connect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnected!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The saved server port %1 is not a valid port.
Choose a port from 1 to 65535 with Details... in the login dialog.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connected!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kivo - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection to %1 on port %2 was lost: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not connect to %1 on port %2: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid username or password!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Login Error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::ContactCommands</name>
    <message>
        <source>You cannot delete the General category!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A contact with this name already exists!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::ContactTree</name>
    <message>
        <source>Delete category &apos;%1&apos; ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete contact &apos;%1&apos; ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The contact list was not saved: %1 could not be read at start-up, and it is kept as it is.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One line of %1 could not be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 lines of %2 could not be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The contact list was not saved: %1, and the file could not be copied to %2 to keep them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 and are not in the contact list. The original file was kept as %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not read %1: %2.
The contact list starts empty, and the file will not be written over.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::ContactTreeView</name>
    <message>
        <source>Add category</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete category</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add contact</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Contact</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You cannot delete the General category!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::Form1</name>
    <message>
        <source>Do you really want to exit?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Auto-connect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add contact</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Join a conference</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Ignore List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Veltra site</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add contact</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Join conference</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not start a web browser for %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::FormChat</name>
    <message>
        <source>Contact&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 - Chat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Room</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>*** Not sent: there is no connection to a server.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::Winsock</name>
    <message>
        <source>the server did not answer within %1 seconds</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmAbout</name>
    <message>
        <source>Kivo is a client for the decentralized Veltra network for Linux desktops.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This version was created on February 21, 2026.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmAddCategory</name>
    <message>
        <source>Add Category</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter category name!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmAddUserToIgnore</name>
    <message>
        <source>Add User</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter username.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmDetails</name>
    <message>
        <source>Login Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter a valid port.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmIgnoreList</name>
    <message>
        <source>Ignore List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no connection to a server, so the ignore list was not changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User already in ignore list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear entire ignore list?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmJoinConference</name>
    <message>
        <source>Join Conference</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Conference name:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server (optional):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter the conference name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You are already connected to a conference.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If you want to join another one,</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>please close the current conference window first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Conference already opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>*** Not joined: there is no connection to a server.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmLogin</name>
    <message>
        <source>Login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Host:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Details...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please fill all fields.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kivo::frmSelectCategory</name>
    <message>
        <source>Add contact</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a category!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter contact name!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
