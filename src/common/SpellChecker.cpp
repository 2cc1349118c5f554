// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpellChecker.h"

#include "Links.h"
#include "Log.h"
#include "MessageBoxes.h"
#include "Modules.h"
#include "SpellingModule.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextBoundaryFinder>

namespace kivo {
namespace {

QStringList dictionaryFolders() {
    QStringList folders = qEnvironmentVariable("DICPATH").split(u':', Qt::SkipEmptyParts);
    folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/share/myspell/dicts");
    return folders;
}

QString dictionaryPath(const QString& language, const QString& suffix) {
    for (const QString& folder : dictionaryFolders()) {
        const QString path = folder + u'/' + language + suffix;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

// A checker's memory of words grows no further than this.
constexpr qsizetype MaxKnownWords = 20000;

} // namespace

struct SpellChecker::Hunspell {
    explicit Hunspell(const spelling::Functions& functions)
        : call(functions) {}
    const spelling::Functions& call;
    Hunhandle* handle = nullptr;
    QStringEncoder encoder;
    QStringDecoder decoder;
    ~Hunspell() {
        if (handle)
            call.destroy(handle);
    }
    // In the dictionary's encoding; empty when it cannot hold the word.
    QByteArray encode(const QString& word) {
        QByteArray bytes = encoder(word);
        if (encoder.hasError())
            bytes.clear();
        encoder.resetState();
        return bytes;
    }
    void add(const QString& word) {
        if (const QByteArray bytes = encode(word); !bytes.isEmpty())
            call.add(handle, bytes.constData());
    }
};

QStringList SpellChecker::installedLanguages() {
    QStringList languages;
    for (const QString& folder : dictionaryFolders()) {
        // Name filters would load the regular-expression engine for one suffix.
        for (const QFileInfo& dic : QDir(folder).entryInfoList(QDir::Files)) {
            if (!dic.fileName().endsWith(QStringLiteral(".dic"), Qt::CaseInsensitive))
                continue;
            const QString language = dic.completeBaseName();
            if (!languages.contains(language) &&
                QFileInfo::exists(dic.absolutePath() + u'/' + language + QStringLiteral(".aff")))
                languages.append(language);
        }
    }
    languages.sort();
    return languages;
}

QString SpellChecker::languageFor(const QString& wanted, const QString& localeName,
                                  const QStringList& installed) {
    if (installed.contains(wanted))
        return wanted;
    if (installed.contains(localeName))
        return localeName;
    const QString localeLanguage = localeName.section(u'_', 0, 0) + u'_';
    for (const QString& prefix : {localeLanguage, QStringLiteral("en_US"), QStringLiteral("en_")}) {
        for (const QString& language : installed) {
            if (language.startsWith(prefix))
                return language;
        }
    }
    return installed.value(0);
}

SpellChecker::SpellChecker(const QString& language)
    : language_(language) {
}

SpellChecker::~SpellChecker() = default;

bool SpellChecker::load() {
    if (std::exchange(loaded_, true))
        return hunspell_ != nullptr;
    const QString aff = dictionaryPath(language_, QStringLiteral(".aff"));
    const QString dic = dictionaryPath(language_, QStringLiteral(".dic"));
    if (aff.isEmpty() || dic.isEmpty())
        return false;
    QString error;
    static const auto functions = reinterpret_cast<spelling::Get>(
        moduleFunction(QStringLiteral("kivo-spelling"), spelling::GetFunction, error));
    if (!functions) {
        qCWarning(logFiles).noquote() << "spelling is not checked:" << error;
        return false;
    }
    auto hunspell = std::make_unique<Hunspell>(*functions());
    hunspell->handle = hunspell->call.create(QFile::encodeName(aff).constData(),
                                             QFile::encodeName(dic).constData());
    if (!hunspell->handle)
        return false;
    const char* encoding = hunspell->call.encoding(hunspell->handle);
    hunspell->encoder = QStringEncoder(encoding ? encoding : "UTF-8");
    hunspell->decoder = QStringDecoder(encoding ? encoding : "UTF-8");
    if (!hunspell->encoder.isValid() || !hunspell->decoder.isValid())
        return false;
    hunspell_ = std::move(hunspell);
    for (const QString& word : readStateFile(WordsFileName).lines)
        hunspell_->add(word);
    return true;
}

bool SpellChecker::isCorrect(const QString& word) {
    if (!load())
        return true;
    if (const auto found = known_.constFind(word); found != known_.cend())
        return *found;
    if (known_.size() >= MaxKnownWords)
        known_.clear();
    const QByteArray bytes = hunspell_->encode(word);
    // A word the dictionary's encoding cannot hold is not the dictionary's to judge.
    const bool correct =
        bytes.isEmpty() || hunspell_->call.spell(hunspell_->handle, bytes.constData());
    known_.insert(word, correct);
    return correct;
}

QList<SpellChecker::Word> SpellChecker::misspelt(const QString& text, qsizetype typing) {
    QList<Word> words;
    if (!load())
        return words;
    const QList<Link> links = findLinks(text);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    qsizetype start = -1;
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary()) {
        const auto reasons = finder.boundaryReasons();
        if (start >= 0 && reasons.testFlag(QTextBoundaryFinder::EndOfItem)) {
            const QStringView word = QStringView(text).sliced(start, at - start);
            const bool inLink = std::any_of(links.begin(), links.end(), [&](const Link& link) {
                return start < link.start + link.length && at > link.start;
            });
            const bool hasDigit =
                std::any_of(word.begin(), word.end(), [](QChar ch) { return ch.isDigit(); });
            if (at != typing && !inLink && !hasDigit && word.front().isLetter() &&
                !isCorrect(word.toString()))
                words.append({start, at - start});
            start = -1;
        }
        if (reasons.testFlag(QTextBoundaryFinder::StartOfItem))
            start = at;
    }
    return words;
}

QStringList SpellChecker::suggestions(const QString& word, int most) {
    QStringList result;
    if (!load())
        return result;
    const QByteArray bytes = hunspell_->encode(word);
    if (bytes.isEmpty())
        return result;
    char** list = nullptr;
    const int count = hunspell_->call.suggest(hunspell_->handle, &list, bytes.constData());
    for (int i = 0; i < count && result.size() < most; ++i)
        result.append(hunspell_->decoder(QByteArrayView(list[i])));
    hunspell_->call.freeList(hunspell_->handle, &list, count);
    return result;
}

bool SpellChecker::addToDictionary(const QString& word) {
    if (!load())
        return false;
    TextFileContents words = readStateFile(WordsFileName);
    // A file that cannot be read is not written over: the user's words would be lost.
    if (words.status == TextFileContents::Status::Failed) {
        warn(QCoreApplication::translate("kivo", "Could not add the word to %1: %2")
                 .arg(QDir::toNativeSeparators(StateFolder::filePath(WordsFileName)), words.error));
        return false;
    }
    if (!writeStateFile(WordsFileName, words.lines << word))
        return false;
    hunspell_->add(word);
    known_.insert(word, true);
    return true;
}

} // namespace kivo
