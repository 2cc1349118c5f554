// SPDX-License-Identifier: GPL-3.0-or-later
#include "Colours.h"
#include "Input.h"
#include "Links.h"
#include "StateFiles.h"
#include "TestSupport.h"
#include "Text.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cmath>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kivo;

class TestCommon : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void trimmingRemovesSpacesOnly_data();
    void trimmingRemovesSpacesOnly();
    void numericText_data();
    void numericText();
    void roundingGoesHalfToEven_data();
    void roundingGoesHalfToEven();
    void storableNames_data();
    void storableNames();
    void singleLineRule();
    void typedTextBecomesLines_data();
    void typedTextBecomesLines();
    void textShownInOneLine_data();
    void textShownInOneLine();
    void webAddressesAreFound_data();
    void webAddressesAreFound();
    void aHostThatMixesScriptsIsShownInAscii();
    void contrastIsTheWebGuidelinesRatio();
    void isolatesOnlyWhereTheOrderCanChange_data();
    void isolatesOnlyWhereTheOrderCanChange();

    void writesUtf8WithCrLfAtomically();
    void readsAnyLineEndAndWindowsFiles_data();
    void readsAnyLineEndAndWindowsFiles();
    void ownerOnlyFilesArePrivate();
    void failedWriteIsReportedAndKeepsTheOldFile();
    void unreadableFilesFailWithAReason();
};

void TestCommon::trimmingRemovesSpacesOnly_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("spaces") << "  a b  "
                            << "a b";
    QTest::newRow("tabs are content") << "\t a \t"
                                      << "\t a \t";
    QTest::newRow("line ends are content") << " a\r\n "
                                           << "a\r\n";
    QTest::newRow("only spaces") << "    "
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no-break space kept")
        << QString::fromUtf8("\xC2\xA0x ") << QString::fromUtf8("\xC2\xA0x");
}

void TestCommon::trimmingRemovesSpacesOnly() {
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(trimSpaces(text), trimmed);
    QCOMPARE(isBlank(text), trimmed.isEmpty());
}

void TestCommon::numericText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "6000" << true << 6000.0;
    QTest::newRow("surrounded by spaces") << " 6000 " << true << 6000.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("capital exponent with sign") << "+2.5E+2" << true << 250.0;
    QTest::newRow("fraction") << "8000.5" << true << 8000.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("negative") << "-7" << true << -7.0;
    QTest::newRow("word") << "port" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("spaces only") << "   " << false << 0.0;
    QTest::newRow("dangling exponent") << "1e" << false << 0.0;
    QTest::newRow("inner space") << "60 00" << false << 0.0;
    QTest::newRow("thousands separator") << "6,000" << false << 0.0;
    QTest::newRow("hexadecimal") << "0x10" << false << 0.0;
    QTest::newRow("tab is not a space") << "\t6000" << false << 0.0;
    QTest::newRow("line end after it") << "6000\n" << false << 0.0;
    QTest::newRow("point or sign alone") << "+." << false << 0.0;
    QTest::newRow("every part") << "-.5e-3" << true << -0.0005;
    QTest::newRow("exponent sign without digits") << "1e+" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("digits of another script") << QString::fromUtf8("٦٠٠٠") << false << 0.0;
}

void TestCommon::numericText() {
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    const std::optional<double> parsed = numericValue(text);
    QCOMPARE(parsed.has_value(), numeric);
    if (numeric)
        QCOMPARE(*parsed, value);
}

void TestCommon::roundingGoesHalfToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("rounded");
    QTest::newRow("8000.5") << 8000.5 << qint64(8000);
    QTest::newRow("8001.5") << 8001.5 << qint64(8002);
    QTest::newRow("-2.5") << -2.5 << qint64(-2);
    QTest::newRow("0.4999") << 0.4999 << qint64(0);
    QTest::newRow("-3.5") << -3.5 << qint64(-4);
    QTest::newRow("-0.5") << -0.5 << qint64(0);
    QTest::newRow("2.51") << 2.51 << qint64(3);
    QTest::newRow("-2.51") << -2.51 << qint64(-3);
    QTest::newRow("2^52 + 1") << 4503599627370497.0 << qint64(4503599627370497);
    QTest::newRow("9e18") << 9e18 << qint64(9'000'000'000'000'000'000);
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
    QTest::newRow("beyond 64 bits") << 1e300 << std::numeric_limits<qint64>::max();
    QTest::newRow("infinite negative")
        << -std::numeric_limits<double>::infinity() << std::numeric_limits<qint64>::min();
}

void TestCommon::roundingGoesHalfToEven() {
    QFETCH(double, value);
    QFETCH(qint64, rounded);
    QCOMPARE(roundHalfEven(value), rounded);
}

void TestCommon::storableNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("storable");
    QTest::newRow("plain") << "alice" << true;
    QTest::newRow("spaces and accents") << QString::fromUtf8(" Zoë (old) ") << true;
    QTest::newRow("tab") << "a\tb" << true;
    QTest::newRow("NUL") << QString(QChar(0)) << true;
    QTest::newRow("line separator") << QString(QChar(0x2028)) << true;
    QTest::newRow("field separator") << "a|b" << false;
    QTest::newRow("line feed") << "a\nb" << false;
    QTest::newRow("carriage return") << "a\rb" << false;
}

void TestCommon::storableNames() {
    QFETCH(QString, name);
    QFETCH(bool, storable);
    QCOMPARE(isStorableName(name), storable);
}

void TestCommon::singleLineRule() {
    test::Sandbox sandbox;
    QVERIFY(acceptSingleLine({"ann", " a b ", QString::fromUtf8("Zoë")}));
    QVERIFY(sandbox.boxes.boxes.isEmpty());
    for (const QString& bad : {QString("ann\nbob"), QString("a\rb"), QString("a\tb"),
                               QString(QChar(0)), QString("a") + QChar(0x2028) + "b"}) {
        QVERIFY2(!acceptSingleLine({"fine", bad}), qPrintable(bad));
        QVERIFY(!acceptContactName(bad));
    }
    QCOMPARE(sandbox.boxes.boxes.size(), 10); // one box per refusal, however many boxes hold it
    QVERIFY(!acceptContactName("a|b"));
    QVERIFY(acceptContactName(" bob "));
}

void TestCommon::typedTextBecomesLines_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("one line, trimmed") << "  hi there " << QStringList{"hi there"};
    QTest::newRow("pasted lines, blank ones skipped")
        << "hello bob\r\n\r\n  my password \nis hunter2\r"
        << QStringList{"hello bob", "my password", "is hunter2"};
    QTest::newRow("paragraph and line separators")
        << QString("a") + QChar(0x2029) + "b" + QChar(0x2028) + "c" << QStringList{"a", "b", "c"};
    QTest::newRow("controls removed, tabs kept")
        << QString("a\tb") + QChar(0) + "\x1b[31mc\x07" << QStringList{"a\tb[31mc"};
    QTest::newRow("only blanks") << " \n \r\n  " << QStringList{};
}

void TestCommon::typedTextBecomesLines() {
    QFETCH(QString, typed);
    QFETCH(QStringList, lines);
    QCOMPARE(linesToSend(typed), lines);
}

void TestCommon::textShownInOneLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const QChar fsi(0x2068), pdi(0x2069), rlo(0x202E), pdf(0x202C);
    QTest::newRow("ordinary text unchanged") << "<b>hi</b> & more"
                                             << "<b>hi</b> & more";
    QTest::newRow("paragraph separator becomes a space")
        << QString("hi") + QChar(0x2029) + "[09:00:00] <alice> x"
        << "hi [09:00:00] <alice> x";
    QTest::newRow("other line breaks")
        << QString("a\vb\fc") + QChar(0x85) + QChar(0x2028) << "a b c  ";
    QTest::newRow("override isolated")
        << QString("mallory") + rlo + "hello" << QString(fsi) + "mallory" + rlo + "hello" + pdi;
    QTest::newRow("a stray isolate end cannot close ours")
        << QString("x") + pdi + rlo + "y" << QString(fsi) + "x" + rlo + "y" + pdi;
    QTest::newRow("isolates left open are closed first")
        << QString(QChar(0x2067)) + "a" + pdf
        << QString(fsi) + QChar(0x2067) + "a" + pdf + pdi + pdi;
}

void TestCommon::textShownInOneLine() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(shownInLine(text), shown);
}

void TestCommon::webAddressesAreFound_data() {
    // Each link as "what is linked => what opens".
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("links");
    QTest::newRow("schemes, letter case ignored")
        << "see http://a.org/x, HTTPS://b.org ftp://c.org mailto:ann@d.org"
        << QStringList{"http://a.org/x => http://a.org/x", "HTTPS://b.org => https://b.org",
                       "ftp://c.org => ftp://c.org", "mailto:ann@d.org => mailto:ann@d.org"};
    QTest::newRow("bare www opens as http")
        << "go to www.example.org." << QStringList{"www.example.org => http://www.example.org"};
    QTest::newRow("sentence punctuation is not the address")
        << "(http://a.org/p?q=1). 'https://b.org/'! http://c.org/a.b;"
        << QStringList{"http://a.org/p?q=1 => http://a.org/p?q=1",
                       "https://b.org/ => https://b.org/", "http://c.org/a.b => http://c.org/a.b"};
    QTest::newRow("brackets belong when they open inside")
        << "[http://w.org/Foo_(bar)] {http://x.org/a]"
        << QStringList{"http://w.org/Foo_(bar) => http://w.org/Foo_(bar)",
                       "http://x.org/a => http://x.org/a"};
    QTest::newRow("inside angle brackets and quotes")
        << "<http://a.org/x>\"https://b.org\""
        << QStringList{"http://a.org/x => http://a.org/x", "https://b.org => https://b.org"};
    QTest::newRow("international names")
        << QString::fromUtf8("https://bücher.example/straße")
        << QStringList{QString::fromUtf8("https://bücher.example/straße => "
                                         "https://xn--bcher-kva.example/straße")};
    QTest::newRow("other schemes stay text")
        << "file:///etc/passwd javascript:alert(1) data:text/html,x irc://a.org" << QStringList{};
    QTest::newRow("only at the start of a word")
        << "xhttp://a.org abc.www.b.org user@www.c.org javascript:http://d.org"
        << QStringList{"http://d.org => http://d.org"};
    QTest::newRow("a prefix alone is no address")
        << "http:// www. mailto: mailto:nobody https://," << QStringList{};
    QTest::newRow("bidirectional controls end an address")
        << QString("http://a.org") + QChar(0x202E) + "gro.b"
        << QStringList{"http://a.org => http://a.org"};
    QTest::newRow("what only looks like a slash, a dot or a colon ends an address")
        << u"http://bank.example\u2044login.evil.example https://a.example\u2215b "
           u"http://c.example\uff0fd http://e.example\u3002f http://g.example\uff1a80 "
           u"http://h.example\\@evil.example"_qs
        << QStringList{"http://bank.example => http://bank.example",
                       "https://a.example => https://a.example",
                       "http://c.example => http://c.example",
                       "http://e.example => http://e.example",
                       "http://g.example => http://g.example",
                       "http://h.example => http://h.example"};
    QTest::newRow("a percent sign ends a host, not a path")
        << "http://good.example%2eevil.example/x http://a.org/%41"
        << QStringList{"http://good.example => http://good.example",
                       "http://a.org/%41 => http://a.org/A"};
    QTest::newRow("mailto: without its query")
        << "mailto:ann@d.org?attach=/etc/passwd"
        << QStringList{"mailto:ann@d.org => mailto:ann@d.org"};
}

void TestCommon::aHostThatMixesScriptsIsShownInAscii() {
    // A Cyrillic a among Latin letters, and a wholly Cyrillic name under a Latin domain.
    QCOMPARE(addressesAsTheyOpen(
                 u"see http://\u0430pple.com/ and www.\u0430\u0440\u0440\u04cf\u0435.com"_qs),
             QString("see http://xn--pple-43d.com/ and www.xn--80ak6aa92e.com"));
    // One script, or Japanese with its Latin, is left as written; so is text without one.
    for (const QString& kept :
         {u"https://b\u00fccher.example/stra\u00dfe"_qs, u"http://\u65e5\u672c\u8a9e.jp"_qs,
          u"http://\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444"_qs,
          u"\u0430pple.com is not an address"_qs})
        QCOMPARE(addressesAsTheyOpen(kept), kept);
    // What is shown is what opens.
    const QString shown = addressesAsTheyOpen(u"http://\u0430pple.com/"_qs);
    QCOMPARE(openedAddress(findLinks(shown).value(0).url), QString("http://xn--pple-43d.com/"));
}

void TestCommon::webAddressesAreFound() {
    QFETCH(QString, text);
    QFETCH(QStringList, links);
    QStringList found;
    for (const Link& link : findLinks(text))
        found.append(text.mid(link.start, link.length) + " => " + link.url.toString());
    QCOMPARE(found, links);
}

void TestCommon::writesUtf8WithCrLfAtomically() {
    test::Sandbox sandbox;
    QVERIFY(writeStateFile("state.dat", {QString::fromUtf8("café"), "", "x"}));
    QCOMPARE(sandbox.readFile("state.dat"), QByteArray("caf\xC3\xA9\r\n\r\nx\r\n"));
    QVERIFY(writeStateFile("state.dat", {}));
    QCOMPARE(sandbox.readFile("state.dat"), QByteArray());
    // Nothing but the file itself is left behind in the folder.
    QCOMPARE(QDir(sandbox.path(".")).entryList(QDir::Files), QStringList{"state.dat"});
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestCommon::readsAnyLineEndAndWindowsFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("mixed ends, last unterminated")
        << QByteArray("a\rb\nc\r\n\r\nd") << QStringList{"a", "b", "c", "", "d"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("UTF-8") << QByteArray("Zo\xC3\xAB\r\n") << QStringList{QString::fromUtf8("Zoë")};
    QTest::newRow("byte-order mark dropped") << QByteArray("\xEF\xBB\xBFx\r\n") << QStringList{"x"};
    QTest::newRow("Windows-1252") << QByteArray("caf\xE9 \x80\x96\r\n")
                                  << QStringList{QString::fromUtf8("café €–")};
    QTest::newRow("one Windows line among UTF-8 ones")
        << QByteArray("Jos\xC3\xA9\r\nJos\xE9\r\n\xC3\xA9")
        << QStringList{QString::fromUtf8("José"), QString::fromUtf8("José"),
                       QString::fromUtf8("é")};
}

void TestCommon::readsAnyLineEndAndWindowsFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    test::Sandbox sandbox;
    QCOMPARE(readStateFile("f.dat").status, TextFileContents::Status::Missing);
    sandbox.writeFile("f.dat", bytes);
    const TextFileContents contents = readStateFile("f.dat");
    QCOMPARE(contents.status, TextFileContents::Status::Read);
    QCOMPARE(contents.lines, lines);
}

void TestCommon::ownerOnlyFilesArePrivate() {
    test::Sandbox sandbox;
    sandbox.writeFile("secret.dat", "old\r\n");
    QFile::setPermissions(sandbox.path("secret.dat"), QFile::Permissions(0x6644));
    QVERIFY(writeStateFile("secret.dat", {"new"}, FileAccess::OwnerOnly));
    QCOMPARE(QFile::permissions(sandbox.path("secret.dat")),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QVERIFY(writeStateFile("shared.dat", {"x"}));
    QVERIFY(QFile::permissions(sandbox.path("shared.dat")) & QFile::ReadOther);
}

void TestCommon::failedWriteIsReportedAndKeepsTheOldFile() {
    test::Sandbox sandbox;
    sandbox.writeFile("contacts.dat", "C|general|General (0)|\r\n");
    // A full disk, even for root: a child process that may not write more than 1 KiB to any
    // file. Unless the program has made that an error, the signal for it ends the child.
    const pid_t child = fork();
    if (child == 0) {
        reportFileSizeLimitAsError();
        const rlimit small{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &small);
        const bool written = writeStateFile("contacts.dat", QStringList(100, QString(40, 'x')));
        const bool named = sandbox.boxes.boxes.size() == 1 &&
                           sandbox.boxes.boxes[0].text ==
                               "Could not save " + sandbox.path("contacts.dat") +
                                   ": File too large\nThe file on disk was left as it was.";
        _exit(!written && named ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "killed by a signal");
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(sandbox.readFile("contacts.dat"), QByteArray("C|general|General (0)|\r\n"));
    QCOMPARE(QDir(sandbox.path(".")).entryList(QDir::Files), QStringList{"contacts.dat"});
}

void TestCommon::unreadableFilesFailWithAReason() {
    test::Sandbox sandbox;
    QDir(sandbox.path(".")).mkdir("settings.dat");
    const TextFileContents contents = readStateFile("settings.dat");
    QCOMPARE(contents.status, TextFileContents::Status::Failed);
    QVERIFY(!contents.error.isEmpty());
    // Writing over a folder fails, is reported, and leaves the folder as it was.
    QVERIFY(!writeStateFile("settings.dat", {"True"}));
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.boxes[0].text.startsWith("Could not save "));
    QVERIFY(QFileInfo(sandbox.path("settings.dat")).isDir());
}

QTEST_GUILESS_MAIN(TestCommon)
void TestCommon::isolatesOnlyWhereTheOrderCanChange_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("needed");
    QTest::addColumn<bool>("rightToLeft"); // the isolate it needs runs right to left
    QTest::newRow("English, digits, punctuation")
        << "*** ann (2) has joined: 50% off!" << false << false;
    QTest::newRow("accents and Chinese") << u"Zoë 会议"_qs << false << false;
    QTest::newRow("Hebrew, as much as English") << u"hi דן"_qs << true << false;
    QTest::newRow("Hebrew") << u"שלום a"_qs << true << true;
    QTest::newRow("Arabic digits") << u"\u0663"_qs << true << false;
    QTest::newRow("right-to-left override") << u"a\u202Eb"_qs << true << false;
    QTest::newRow("an isolate") << u"a\u2068b"_qs << true << false;
    QTest::newRow("Adlam, beyond 16 bits") << u"\U0001E900\U0001E901 a"_qs << true << true;
}

void TestCommon::isolatesOnlyWhereTheOrderCanChange() {
    QFETCH(QString, text);
    QFETCH(bool, needed);
    QFETCH(bool, rightToLeft);
    QCOMPARE(needsIsolate(text), needed);
    if (needed)
        QCOMPARE(isolateFor(text), rightToLeft ? QChar(0x2067) : QChar(0x2066));
}

// Figures from the guidelines' own formula, through both of its branches (a channel of 10 is
// in the linear one).
void TestCommon::contrastIsTheWebGuidelinesRatio() {
    const struct {
        QColor a, b;
        double ratio;
    } pairs[] = {{Qt::white, Qt::black, 21.0},
                 {QColor(0x76, 0x76, 0x76), Qt::white, 4.5422},
                 {Qt::red, Qt::white, 3.9985},
                 {Qt::blue, Qt::black, 2.4440},
                 {QColor(10, 10, 10), Qt::black, 1.0607}};
    for (const auto& pair : pairs) {
        QVERIFY2(std::abs(contrastRatio(pair.a, pair.b) - pair.ratio) < 1e-4,
                 qPrintable(pair.a.name()));
        QCOMPARE(contrastRatio(pair.b, pair.a), contrastRatio(pair.a, pair.b));
    }
}

#include "tst_common.moc"
