<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>kivo</name>
    <message>
        <source>Keep the state files (contacts, settings, login) in this folder.</source>
        <translation>Die Zustandsdateien (Kontakte, Einstellungen, Anmeldung) in diesem Ordner ablegen.</translation>
    </message>
    <message>
        <source>Log connection, file and start-up events on standard error.</source>
        <translation>Verbindungs-, Datei- und Startereignisse auf der Standardfehlerausgabe protokollieren.</translation>
    </message>
    <message>
        <source>An instant-messaging client for the Veltra network.</source>
        <translation>Ein Instant-Messaging-Programm für das Veltra-Netz.</translation>
    </message>
    <message>
        <source>Kivo is already running with these state files; its window was brought to the front.</source>
        <translation>Kivo läuft bereits mit diesen Zustandsdateien; sein Fenster wurde in den Vordergrund geholt.</translation>
    </message>
    <message>
        <source>Kivo is already running with the state files in %1, but does not answer.</source>
        <translation>Kivo läuft bereits mit den Zustandsdateien in %1, antwortet aber nicht.</translation>
    </message>
    <message>
        <source>Line breaks and other control characters cannot be used here. Please remove them and try again.</source>
        <translation>Zeilenumbrüche und andere Steuerzeichen sind hier nicht möglich. Bitte entfernen Sie sie und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>A name cannot contain &quot;|&quot;, line breaks or other control characters.</source>
        <translation>Ein Name darf kein „|“, keine Zeilenumbrüche und keine anderen Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation>es ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>it is too large (%1 bytes)</source>
        <translation>sie ist zu groß (%1 Bytes)</translation>
    </message>
    <message>
        <source>it is too large</source>
        <translation>sie ist zu groß</translation>
    </message>
    <message>
        <source>Could not save %1: %2
The file on disk was left as it was.</source>
        <translation>%1 konnte nicht gespeichert werden: %2
Die Datei auf dem Datenträger blieb unverändert.</translation>
    </message>
    <message>
        <source>(%1 more like this)</source>
        <translation>(%1 weitere dieser Art)</translation>
    </message>
    <message>
        <source>The port was not saved: %1 cannot be read (%2).</source>
        <translation>Der Port wurde nicht gespeichert: %1 kann nicht gelesen werden (%2).</translation>
    </message>
    <message>
        <source>Private Message Error</source>
        <translation>Fehler bei privater Nachricht</translation>
    </message>
    <message>
        <source>User does not exist.</source>
        <translation>Benutzer existiert nicht.</translation>
    </message>
    <message>
        <source>You cannot send private messages to yourself.</source>
        <translation>Sie können sich selbst keine privaten Nachrichten senden.</translation>
    </message>
    <message>
        <source>Receiver is banned.</source>
        <translation>Der Empfänger ist gesperrt.</translation>
    </message>
    <message>
        <source>Failed to send private message to %1.</source>
        <translation>Die private Nachricht an %1 konnte nicht gesendet werden.</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 in %2</translation>
    </message>
    <message>
        <source>The preferences in %1 could not be read, so Kivo uses its default preferences.</source>
        <translation>Die Einstellungen in %1 konnten nicht gelesen werden; Kivo verwendet daher seine Standardeinstellungen.</translation>
    </message>
    <message>
        <source>Could not save the preferences in %1.</source>
        <translation>Die Einstellungen in %1 konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Earlier</source>
        <translation>Früher</translation>
    </message>
    <message>
        <source>The history in %1 could not be read (%2). It was moved to %3, and a new history begun.</source>
        <translation>Der Verlauf in %1 konnte nicht gelesen werden (%2). Er wurde nach %3 verschoben, und ein neuer Verlauf wurde begonnen.</translation>
    </message>
    <message>
        <source>The history in %1 cannot be used: %2</source>
        <translation>Der Verlauf in %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>%1 in the history: %2</source>
        <translation>%1 im Verlauf: %2</translation>
    </message>
    <message>
        <source>The conversation could not be deleted</source>
        <translation>Die Unterhaltung konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>The history could not be deleted</source>
        <translation>Der Verlauf konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Old lines could not be removed</source>
        <translation>Alte Zeilen konnten nicht entfernt werden</translation>
    </message>
    <message>
        <source>unknown reason</source>
        <translation>unbekannter Grund</translation>
    </message>
    <message>
        <source>Qt&apos;s SQLite driver is not installed (Debian package libqt6sql6-sqlite).</source>
        <translation>Der SQLite-Treiber von Qt ist nicht installiert (Debian-Paket libqt6sql6-sqlite).</translation>
    </message>
    <message>
        <source>%1 is not a plain file (a link, say), so Kivo leaves it as it is.</source>
        <translation>%1 ist keine gewöhnliche Datei (etwa eine Verknüpfung), daher lässt Kivo sie unverändert.</translation>
    </message>
    <message>
        <source>it is another program&apos;s database, so Kivo leaves it as it is.</source>
        <translation>sie ist die Datenbank eines anderen Programms, daher lässt Kivo sie unverändert.</translation>
    </message>
    <message>
        <source>Kivo is already running with these state files; the desktop did not let its window come to the front, so it asks for your attention instead.</source>
        <translation>Kivo läuft bereits mit diesen Zustandsdateien; der Desktop hat sein Fenster nicht in den Vordergrund gelassen, daher bittet es stattdessen um Ihre Aufmerksamkeit.</translation>
    </message>
    <message>
        <source>Could not add the word to %1: %2</source>
        <translation>Das Wort konnte nicht zu %1 hinzugefügt werden: %2</translation>
    </message>
    <message>
        <source>%1 is not loaded: someone other than you and the system can change it</source>
        <translation>%1 wird nicht geladen: außer Ihnen und dem System kann jemand sie ändern</translation>
    </message>
    <message>
        <source>Kivo&apos;s module is not installed (looked for %1)</source>
        <translation>Das Modul von Kivo ist nicht installiert (gesucht: %1)</translation>
    </message>
    <message>
        <source>a newer Kivo wrote it, and this one leaves it as it is. Use the newer Kivo, or move the file away to begin a new history.</source>
        <translation>ein neueres Kivo hat sie geschrieben, und dieses lässt sie unverändert. Verwenden Sie das neuere Kivo, oder verschieben Sie die Datei, um einen neuen Verlauf zu beginnen.</translation>
    </message>
    <message>
        <source>they came faster than they could be stored</source>
        <translation>sie kamen schneller, als sie gespeichert werden konnten</translation>
    </message>
    <message>
        <source>%1 lines could not be stored in the history since Kivo started: %2.</source>
        <translation>%1 Zeilen konnten seit dem Start von Kivo nicht im Verlauf gespeichert werden: %2.</translation>
    </message>
    <message>
        <source>Your own words in %1 were not read: %2</source>
        <translation>Ihre eigenen Wörter in %1 wurden nicht gelesen: %2</translation>
    </message>
    <message>
        <source>it is a link, and Kivo does not write through links</source>
        <translation>sie ist eine Verknüpfung, und Kivo schreibt nicht durch Verknüpfungen</translation>
    </message>
    <message>
        <source>Could not start a mail program for %1.</source>
        <translation>Für %1 konnte kein E-Mail-Programm gestartet werden.</translation>
    </message>
    <message>
        <source>Could not start a web browser for %1.</source>
        <translation>Für %1 konnte kein Webbrowser gestartet werden.</translation>
    </message>
    <message>
        <source>Could not read %1: %2
The unsent text kept in it is not shown.</source>
        <translation>%1 konnte nicht gelesen werden: %2
Der darin aufbewahrte, nicht gesendete Text wird nicht gezeigt.</translation>
    </message>
    <message>
        <source>it is not Kivo&apos;s</source>
        <translation>sie ist nicht von Kivo</translation>
    </message>
</context>
<context>
    <name>kivo::ChatRegistry</name>
    <message>
        <source>*** %1 is not in your contacts.</source>
        <translation>*** %1 ist nicht in Ihren Kontakten.</translation>
    </message>
    <message>
        <source>&amp;Add to Contacts...</source>
        <translation>Zu den Kontakten &amp;hinzufügen...</translation>
    </message>
</context>
<context>
    <name>kivo::ConnectionController</name>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>Disconnected!</source>
        <translation>Getrennt!</translation>
    </message>
    <message>
        <source>The saved server port %1 is not a valid port.
Choose a port from 1 to 65535 with Details... in the login dialog.</source>
        <translation>Der gespeicherte Server-Port %1 ist kein gültiger Port.
Wählen Sie im Anmeldedialog unter „Details...“ einen Port von 1 bis 65535.</translation>
    </message>
    <message>
        <source>Connect...</source>
        <translation>Verbinden...</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Trennen</translation>
    </message>
    <message>
        <source>Connected!</source>
        <translation>Verbunden!</translation>
    </message>
    <message>
        <source>Kivo - %1</source>
        <translation>Kivo - %1</translation>
    </message>
    <message>
        <source>The connection to %1 on port %2 was lost: %3.</source>
        <translation>Die Verbindung zu %1 auf Port %2 ist abgebrochen: %3.</translation>
    </message>
    <message>
        <source>Could not connect to %1 on port %2: %3.</source>
        <translation>Keine Verbindung zu %1 auf Port %2 möglich: %3.</translation>
    </message>
    <message>
        <source>Connection Error</source>
        <translation>Verbindungsfehler</translation>
    </message>
    <message>
        <source>Invalid username or password!</source>
        <translation>Ungültiger Benutzername oder ungültiges Passwort!</translation>
    </message>
    <message>
        <source>Login Error</source>
        <translation>Anmeldefehler</translation>
    </message>
    <message>
        <source>This was not sent: it holds a line break or another control character, which cannot go to the server.</source>
        <translation>Dies wurde nicht gesendet: Es enthält einen Zeilenumbruch oder ein anderes Steuerzeichen, das nicht an den Server gehen kann.</translation>
    </message>
</context>
<context>
    <name>kivo::ContactCommands</name>
    <message>
        <source>You cannot delete the General category!</source>
        <translation>Die Kategorie „Allgemein“ kann nicht gelöscht werden!</translation>
    </message>
    <message>
        <source>A contact with this name already exists!</source>
        <translation>Ein Kontakt mit diesem Namen existiert bereits!</translation>
    </message>
</context>
<context>
    <name>kivo::ContactTree</name>
    <message>
        <source>Delete category &apos;%1&apos; ?</source>
        <translation>Kategorie &apos;%1&apos; löschen?</translation>
    </message>
    <message>
        <source>Delete contact &apos;%1&apos; ?</source>
        <translation>Kontakt &apos;%1&apos; löschen?</translation>
    </message>
    <message>
        <source>The contact list was not saved: %1 could not be read at start-up, and it is kept as it is.</source>
        <translation>Die Kontaktliste wurde nicht gespeichert: %1 konnte beim Start nicht gelesen werden und bleibt unverändert.</translation>
    </message>
    <message>
        <source>Could not read %1: %2.
The contact list starts empty, and the file will not be written over.</source>
        <translation>%1 konnte nicht gelesen werden: %2.
Die Kontaktliste beginnt leer, und die Datei wird nicht überschrieben.</translation>
    </message>
    <message>
        <source>The contact list was not saved: %1 holds lines that could not be read, and the file could not be copied to %2 to keep them.</source>
        <translation>Die Kontaktliste wurde nicht gespeichert: %1 enthält Zeilen, die nicht gelesen werden konnten, und die Datei konnte nicht nach %2 kopiert werden, um sie zu bewahren.</translation>
    </message>
    <message>
        <source>One line of %1 could not be read and is not in the contact list. The original file was kept as %2.</source>
        <translation>Eine Zeile von %1 konnte nicht gelesen werden und steht nicht in der Kontaktliste. Die ursprüngliche Datei wurde als %2 aufbewahrt.</translation>
    </message>
    <message>
        <source>%1 lines of %2 could not be read and are not in the contact list. The original file was kept as %3.</source>
        <translation>%1 Zeilen von %2 konnten nicht gelesen werden und stehen nicht in der Kontaktliste. Die ursprüngliche Datei wurde als %3 aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>kivo::ContactTreeView</name>
    <message>
        <source>Add category</source>
        <translation>Kategorie hinzufügen</translation>
    </message>
    <message>
        <source>Delete category</source>
        <translation>Kategorie löschen</translation>
    </message>
    <message>
        <source>Add contact</source>
        <translation>Kontakt hinzufügen</translation>
    </message>
    <message>
        <source>Delete Contact</source>
        <translation>Kontakt löschen</translation>
    </message>
    <message>
        <source>You cannot delete the General category!</source>
        <translation>Die Kategorie „Allgemein“ kann nicht gelöscht werden!</translation>
    </message>
</context>
<context>
    <name>kivo::Form1</name>
    <message>
        <source>Do you really want to exit?</source>
        <translation>Möchten Sie Kivo wirklich beenden?</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>&amp;Auto-connect</source>
        <translation>&amp;Automatisch verbinden</translation>
    </message>
    <message>
        <source>&amp;Add contact</source>
        <translation>Kontakt &amp;hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Join a conference</source>
        <translation>&amp;Konferenz beitreten</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>&amp;Ignore List</source>
        <translation>&amp;Ignorierliste</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Veltra site</source>
        <translation>&amp;Veltra-Website</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>Add contact</source>
        <translation>Kontakt hinzufügen</translation>
    </message>
    <message>
        <source>Join conference</source>
        <translation>Konferenz beitreten</translation>
    </message>
    <message>
        <source>Contacts</source>
        <translation>Kontakte</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>A message from %1, who is not in your contacts, was not shown: %2 windows of people not in your contacts are open. Close some of them to see such messages again.</source>
        <translation>Eine Nachricht von %1, der nicht in Ihren Kontakten ist, wurde nicht angezeigt: %2 Fenster von Personen, die nicht in Ihren Kontakten sind, sind geöffnet. Schließen Sie einige davon, um solche Nachrichten wieder zu sehen.</translation>
    </message>
    <message>
        <source>*** Not delivered: &quot;%1&quot;</source>
        <translation>*** Nicht zugestellt: „%1“</translation>
    </message>
    <message>
        <source>*** The server did not take &quot;%1&quot;: it reads lines that begin with / as commands.</source>
        <translation>*** Der Server hat „%1“ nicht angenommen: Zeilen, die mit / beginnen, liest er als Befehle.</translation>
    </message>
</context>
<context>
    <name>kivo::FormChat</name>
    <message>
        <source>Contact&apos;s name</source>
        <translation>Name des Kontakts</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message>
        <source>%1 - Chat</source>
        <translation>%1 - Chat</translation>
    </message>
    <message>
        <source>%1 Room</source>
        <translation>%1 Raum</translation>
    </message>
    <message>
        <source>*** Not sent: there is no connection to a server.</source>
        <translation>*** Nicht gesendet: Es besteht keine Verbindung zu einem Server.</translation>
    </message>
    <message>
        <source>Conversation</source>
        <translation>Unterhaltung</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>*** The message line holds %1 characters at most; what went beyond that was left out.</source>
        <translation>*** Die Nachrichtenzeile fasst höchstens %1 Zeichen; was darüber hinausging, wurde weggelassen.</translation>
    </message>
</context>
<context>
    <name>kivo::Keyring</name>
    <message>
        <source>the keyring did not answer within %1 seconds</source>
        <translation>der Schlüsselbund hat nicht innerhalb von %1 Sekunden geantwortet</translation>
    </message>
    <message>
        <source>Your password could not be kept in the desktop&apos;s keyring (%1), so Kivo keeps it in %2 as before.</source>
        <translation>Ihr Passwort konnte nicht im Schlüsselbund des Desktops abgelegt werden (%1), daher bewahrt Kivo es wie bisher in %2 auf.</translation>
    </message>
    <message>
        <source>Kivo could not read your password from the desktop&apos;s keyring (%1). Please type it in the login dialog.</source>
        <translation>Kivo konnte Ihr Passwort nicht aus dem Schlüsselbund des Desktops lesen (%1). Bitte geben Sie es im Anmeldedialog ein.</translation>
    </message>
    <message>
        <source>Kivo keeps your password in %1 again, in clear text, and removes it from the desktop&apos;s keyring.</source>
        <translation>Kivo bewahrt Ihr Passwort wieder im Klartext in %1 auf und entfernt es aus dem Schlüsselbund des Desktops.</translation>
    </message>
    <message>
        <source>Kivo could not read your password from the desktop&apos;s keyring (%1), so it stays there.</source>
        <translation>Kivo konnte Ihr Passwort nicht aus dem Schlüsselbund des Desktops lesen (%1), daher bleibt es dort.</translation>
    </message>
</context>
<context>
    <name>kivo::Notifier</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
</context>
<context>
    <name>kivo::OptionalFeatures</name>
    <message>
        <source>Stop &amp;Reconnecting</source>
        <translation>Neu&amp;verbinden beenden</translation>
    </message>
    <message>
        <source>&amp;Search history...</source>
        <translation>Verlauf &amp;durchsuchen...</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>No history is kept. Switch it on under Tools &gt; Preferences.</source>
        <translation>Es wird kein Verlauf geführt. Schalten Sie ihn unter Extras &gt; Einstellungen ein.</translation>
    </message>
    <message>
        <source>*** Connection lost. Reconnecting in %1 s.</source>
        <translation>*** Verbindung abgebrochen. Neuer Versuch in %1 s.</translation>
    </message>
    <message>
        <source>Next try to reconnect at %1.</source>
        <translation>Nächster Verbindungsversuch um %1.</translation>
    </message>
    <message>
        <source>*** Connected again.</source>
        <translation>*** Wieder verbunden.</translation>
    </message>
    <message>
        <source>The connection is encrypted (TLS).</source>
        <translation>Die Verbindung ist verschlüsselt (TLS).</translation>
    </message>
    <message>
        <source>The connection is not encrypted.</source>
        <translation>Die Verbindung ist nicht verschlüsselt.</translation>
    </message>
    <message>
        <source>Subject: %1
Issuer: %2
Valid from %3 to %4
SHA-256 fingerprint: %5</source>
        <translation>Inhaber: %1
Aussteller: %2
Gültig von %3 bis %4
SHA-256-Fingerabdruck: %5</translation>
    </message>
    <message>
        <source>The server %1 on port %2 sent a certificate that this computer does not trust (%3).

%4

Nothing was sent to the server. Trust this certificate for %1 from now on and log in?</source>
        <translation>Der Server %1 an Port %2 hat ein Zertifikat gesendet, dem dieser Computer nicht vertraut (%3).

%4

An den Server wurde nichts gesendet. Diesem Zertifikat für %1 künftig vertrauen und anmelden?</translation>
    </message>
    <message>
        <source>Unknown Certificate</source>
        <translation>Unbekanntes Zertifikat</translation>
    </message>
    <message>
        <source>The certificate of %1 on port %2 is not the one you accepted before, so Kivo closed the connection and sent nothing.

Accepted before: %3
Sent now: %4

%5

Someone may be listening in between. Accept the new certificate only if you know why it changed. Accept it and log in?</source>
        <translation>Das Zertifikat von %1 an Port %2 ist nicht das, das Sie zuvor angenommen haben; Kivo hat die Verbindung daher geschlossen und nichts gesendet.

Zuvor angenommen: %3
Jetzt gesendet: %4

%5

Möglicherweise hört jemand dazwischen mit. Nehmen Sie das neue Zertifikat nur an, wenn Sie wissen, warum es sich geändert hat. Annehmen und anmelden?</translation>
    </message>
    <message>
        <source>Certificate Changed</source>
        <translation>Zertifikat geändert</translation>
    </message>
    <message>
        <source>The server %1 on port %2 sent a certificate that this computer trusts, but for another name: it does not name %1 (%3).

%4

Nothing was sent to the server. Trust this certificate for %1 from now on and log in?</source>
        <translation>Der Server %1 an Port %2 hat ein Zertifikat gesendet, dem dieser Computer vertraut, aber für einen anderen Namen: %1 wird darin nicht genannt (%3).

%4

An den Server wurde nichts gesendet. Diesem Zertifikat für %1 künftig vertrauen und anmelden?</translation>
    </message>
    <message>
        <source>Certificate for Another Name</source>
        <translation>Zertifikat für einen anderen Namen</translation>
    </message>
    <message>
        <source>When Kivo ended last time, %1 lines could not be stored in the history.</source>
        <translation>Als Kivo zuletzt beendet wurde, konnten %1 Zeilen nicht im Verlauf gespeichert werden.</translation>
    </message>
    <message>
        <source>%1 lines could not be stored in the history before Kivo ended.</source>
        <translation>%1 Zeilen konnten vor dem Beenden von Kivo nicht im Verlauf gespeichert werden.</translation>
    </message>
    <message>
        <source>Updating the history for this version of Kivo: %1%</source>
        <translation>Der Verlauf wird für diese Version von Kivo aktualisiert: %1%</translation>
    </message>
</context>
<context>
    <name>kivo::SpellingUnderline</name>
    <message>
        <source>Add to Dictionary</source>
        <translation>Zum Wörterbuch hinzufügen</translation>
    </message>
</context>
<context>
    <name>kivo::SpokenLines</name>
    <message>
        <source>%1 more lines.</source>
        <translation>%1 weitere Zeilen.</translation>
    </message>
</context>
<context>
    <name>kivo::TranscriptView</name>
    <message>
        <source>New lines below</source>
        <translation>Neue Zeilen unten</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Copy &amp;Link Address</source>
        <translation>&amp;Linkadresse kopieren</translation>
    </message>
    <message>
        <source>&amp;Select All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
</context>
<context>
    <name>kivo::TrayIcon</name>
    <message>
        <source>&amp;Conversations</source>
        <translation>&amp;Unterhaltungen</translation>
    </message>
    <message>
        <source>&amp;Show Kivo</source>
        <translation>Kivo &amp;zeigen</translation>
    </message>
    <message>
        <source>%1 - a message is waiting</source>
        <translation>%1 - eine Nachricht wartet</translation>
    </message>
</context>
<context>
    <name>kivo::Winsock</name>
    <message>
        <source>the server did not answer within %1 seconds</source>
        <translation>der Server hat nicht innerhalb von %1 Sekunden geantwortet</translation>
    </message>
    <message>
        <source>the server did not begin an encrypted connection within %1 seconds</source>
        <translation>der Server hat nicht innerhalb von %1 Sekunden eine verschlüsselte Verbindung begonnen</translation>
    </message>
</context>
<context>
    <name>kivo::frmAbout</name>
    <message>
        <source>Kivo is a client for the decentralized Veltra network for Linux desktops.</source>
        <translation>Kivo ist ein Programm für das dezentrale Veltra-Netz für Linux-Desktops.</translation>
    </message>
    <message>
        <source>This version was created on February 21, 2026.</source>
        <translation>Diese Version wurde am 21. Februar 2026 erstellt.</translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation>Version 1.0</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>About Kivo</source>
        <translation>Über Kivo</translation>
    </message>
</context>
<context>
    <name>kivo::frmAddCategory</name>
    <message>
        <source>Add Category</source>
        <translation>Kategorie hinzufügen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Enter category name!</source>
        <translation>Geben Sie einen Kategorienamen ein!</translation>
    </message>
    <message>
        <source>Category name</source>
        <translation>Kategoriename</translation>
    </message>
</context>
<context>
    <name>kivo::frmAddUserToIgnore</name>
    <message>
        <source>Add User</source>
        <translation>Benutzer hinzufügen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Enter username.</source>
        <translation>Geben Sie einen Benutzernamen ein.</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Benutzername</translation>
    </message>
</context>
<context>
    <name>kivo::frmDetails</name>
    <message>
        <source>Login Settings</source>
        <translation>Anmeldeeinstellungen</translation>
    </message>
    <message>
        <source>Connection Settings</source>
        <translation>Verbindungseinstellungen</translation>
    </message>
    <message>
        <source>Server port:</source>
        <translation>Server-Port:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Please enter a valid port.</source>
        <translation>Bitte geben Sie einen gültigen Port ein.</translation>
    </message>
</context>
<context>
    <name>kivo::frmIgnoreList</name>
    <message>
        <source>Ignore List</source>
        <translation>Ignorierliste</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>There is no connection to a server, so the ignore list was not changed.</source>
        <translation>Es besteht keine Verbindung zu einem Server, daher wurde die Ignorierliste nicht geändert.</translation>
    </message>
    <message>
        <source>User already in ignore list.</source>
        <translation>Der Benutzer steht bereits auf der Ignorierliste.</translation>
    </message>
    <message>
        <source>Clear entire ignore list?</source>
        <translation>Die ganze Ignorierliste leeren?</translation>
    </message>
    <message>
        <source>Ignored users</source>
        <translation>Ignorierte Benutzer</translation>
    </message>
</context>
<context>
    <name>kivo::frmJoinConference</name>
    <message>
        <source>Join Conference</source>
        <translation>Konferenz beitreten</translation>
    </message>
    <message>
        <source>Conference name:</source>
        <translation>Konferenzname:</translation>
    </message>
    <message>
        <source>Server (optional):</source>
        <translation>Server (optional):</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Please enter the conference name.</source>
        <translation>Bitte geben Sie den Konferenznamen ein.</translation>
    </message>
    <message>
        <source>You are already connected to a conference.</source>
        <translation>Sie sind bereits mit einer Konferenz verbunden.</translation>
    </message>
    <message>
        <source>If you want to join another one,</source>
        <translation>Wenn Sie einer anderen beitreten möchten,</translation>
    </message>
    <message>
        <source>please close the current conference window first.</source>
        <translation>schließen Sie bitte zuerst das aktuelle Konferenzfenster.</translation>
    </message>
    <message>
        <source>Conference already opened</source>
        <translation>Konferenz bereits geöffnet</translation>
    </message>
    <message>
        <source>*** Not joined: there is no connection to a server.</source>
        <translation>*** Nicht beigetreten: Es besteht keine Verbindung zu einem Server.</translation>
    </message>
</context>
<context>
    <name>kivo::frmLogin</name>
    <message>
        <source>Login</source>
        <translation>Anmeldung</translation>
    </message>
    <message>
        <source>Username:</source>
        <translation>Benutzername:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Host:</source>
        <translation>Host:</translation>
    </message>
    <message>
        <source>Details...</source>
        <translation>Details...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Please fill all fields.</source>
        <translation>Bitte füllen Sie alle Felder aus.</translation>
    </message>
</context>
<context>
    <name>kivo::frmPreferences</name>
    <message>
        <source>Show a &amp;notification when a message arrives while Kivo is in the background</source>
        <translation>Eine &amp;Benachrichtigung zeigen, wenn eine Nachricht kommt, während Kivo im Hintergrund ist</translation>
    </message>
    <message>
        <source>&amp;Reconnect by itself when the connection is lost</source>
        <translation>Nach einem Verbindungs&amp;abbruch selbst wieder verbinden</translation>
    </message>
    <message>
        <source>Keep a &amp;history of conversations</source>
        <translation>Einen &amp;Verlauf der Unterhaltungen führen</translation>
    </message>
    <message>
        <source>Remove history &amp;older than</source>
        <translation>Verlauf &amp;entfernen, der älter ist als</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source> days</source>
        <translation> Tage</translation>
    </message>
    <message>
        <source>Days of history kept</source>
        <translation>Tage, die der Verlauf aufbewahrt wird</translation>
    </message>
    <message>
        <source>Keep my password in the desktop&apos;s &amp;keyring</source>
        <translation>Mein Passwort im &amp;Schlüsselbund des Desktops aufbewahren</translation>
    </message>
    <message>
        <source>Use an &amp;encrypted connection (TLS)</source>
        <translation>Verschlüsselte Verbindung verwenden (&amp;TLS)</translation>
    </message>
    <message>
        <source>Bring a chat window to the &amp;front when a message arrives</source>
        <translation>Chatfenster bei einer Nachricht &amp;hervorholen</translation>
    </message>
    <message>
        <source>Highlight lines that &amp;mention me</source>
        <translation>Zeilen, die mich &amp;nennen, hervorheben</translation>
    </message>
    <message>
        <source>&amp;Default</source>
        <translation>Stan&amp;dard</translation>
    </message>
    <message>
        <source>Conversation Text</source>
        <translation>Schrift der Unterhaltungen</translation>
    </message>
    <message>
        <source>%1, %2 pt</source>
        <translation>%1, %2 pt</translation>
    </message>
    <message>
        <source>System font</source>
        <translation>Systemschrift</translation>
    </message>
    <message>
        <source>Remember window si&amp;zes and positions</source>
        <translation>Größe und Position der Fenster &amp;merken</translation>
    </message>
    <message>
        <source>Check &amp;spelling while typing</source>
        <translation>Rechtschreibung beim Tippen &amp;prüfen</translation>
    </message>
    <message>
        <source>Check spelling while typing (no dictionary is installed)</source>
        <translation>Rechtschreibung beim Tippen prüfen (kein Wörterbuch installiert)</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>&amp;Wörterbuch:</translation>
    </message>
    <message>
        <source>This desktop has no notification area.</source>
        <translation>Dieser Desktop hat keinen Infobereich.</translation>
    </message>
    <message>
        <source>Open a chat window for messages from people not in my &amp;contacts</source>
        <translation>Für Nachrichten von Personen außerhalb meiner Kontakte ein Chat&amp;fenster öffnen</translation>
    </message>
    <message>
        <source>Show Kivo in the notification &amp;area</source>
        <translation>Kivo im &amp;Infobereich anzeigen</translation>
    </message>
    <message>
        <source>Keep r&amp;unning in the notification area when the main window is closed</source>
        <translation>Im Infobereich weiterlaufen, wenn das Hauptfenster &amp;geschlossen wird</translation>
    </message>
    <message>
        <source>Keep unsent text when a chat &amp;window closes</source>
        <translation>Nicht gesendeten Text beim Schließen eines Chatfensters aufbewah&amp;ren</translation>
    </message>
    <message>
        <source>Show conversations as &amp;tabs in one window</source>
        <translation>Unterhaltungen als Reiter in einem Fenster &amp;zeigen</translation>
    </message>
    <message>
        <source>Conversation te&amp;xt:</source>
        <translation>Schrift der &amp;Unterhaltungen:</translation>
    </message>
</context>
<context>
    <name>kivo::frmSearchHistory</name>
    <message>
        <source>&amp;All conversations</source>
        <translation>&amp;Alle Unterhaltungen</translation>
    </message>
    <message>
        <source>Delete &amp;conversation...</source>
        <translation>&amp;Unterhaltung löschen...</translation>
    </message>
    <message>
        <source>Delete all &amp;history...</source>
        <translation>&amp;Ganzen Verlauf löschen...</translation>
    </message>
    <message>
        <source>Search History</source>
        <translation>Verlauf durchsuchen</translation>
    </message>
    <message>
        <source>Words, prefix*, &quot;a phrase&quot;</source>
        <translation>Wörter, Anfang*, &quot;eine Wortfolge&quot;</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Suchen:</translation>
    </message>
    <message>
        <source>&amp;Results:</source>
        <translation>&amp;Ergebnisse:</translation>
    </message>
    <message>
        <source>Lines around the result</source>
        <translation>Zeilen um das Ergebnis</translation>
    </message>
    <message>
        <source>Search History - %1</source>
        <translation>Verlauf durchsuchen - %1</translation>
    </message>
    <message>
        <source>Around the result in %1:</source>
        <translation>Um das Ergebnis in %1:</translation>
    </message>
    <message>
        <source>Delete the stored history of %1? This cannot be undone.</source>
        <translation>Den gespeicherten Verlauf mit %1 löschen? Das lässt sich nicht rückgängig machen.</translation>
    </message>
    <message>
        <source>Delete the stored history of all conversations? This cannot be undone.</source>
        <translation>Den gespeicherten Verlauf aller Unterhaltungen löschen? Das lässt sich nicht rückgängig machen.</translation>
    </message>
    <message>
        <source>The search could not be run: %1</source>
        <translation>Die Suche konnte nicht ausgeführt werden: %1</translation>
    </message>
</context>
<context>
    <name>kivo::frmSelectCategory</name>
    <message>
        <source>Add contact</source>
        <translation>Kontakt hinzufügen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Select a category!</source>
        <translation>Wählen Sie eine Kategorie!</translation>
    </message>
    <message>
        <source>Enter contact name!</source>
        <translation>Geben Sie einen Kontaktnamen ein!</translation>
    </message>
    <message>
        <source>Contact name</source>
        <translation>Kontaktname</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
</context>
</TS>
