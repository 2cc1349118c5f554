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
#include <QThread>

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

SpellChecker::SpellChecker(const QString& language, QObject* parent)
    : QObject(parent)
    , language_(language) {
}

SpellChecker::~SpellChecker() {
    if (loader_)
        loader_->wait();
}

bool SpellChecker::ready() {
    if (hunspell_)
        return true;
    if (std::exchange(started_, true))
        return false;
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
    // Read on a thread of its own: a large dictionary takes a while, and so would a large
    // list of words.
    const QString words = StateFolder::filePath(WordsFileName);
    auto loading = std::make_shared<std::unique_ptr<Hunspell>>();
    auto wordsError = std::make_shared<QString>();
    loader_ = QThread::create([loading, wordsError, aff, dic, words] {
        auto hunspell = std::make_unique<Hunspell>(*functions());
        hunspell->handle = hunspell->call.create(QFile::encodeName(aff).constData(),
                                                 QFile::encodeName(dic).constData());
        if (!hunspell->handle)
            return;
        const char* encoding = hunspell->call.encoding(hunspell->handle);
        hunspell->encoder = QStringEncoder(encoding ? encoding : "UTF-8");
        hunspell->decoder = QStringDecoder(encoding ? encoding : "UTF-8");
        if (!hunspell->encoder.isValid() || !hunspell->decoder.isValid())
            return;
        const TextFileContents own = readTextFile(words, MaxWordsFileSize);
        *wordsError = own.error;
        for (const QString& word : own.lines)
            hunspell->add(word);
        *loading = std::move(hunspell);
    });
    loader_->setObjectName(QStringLiteral("spelling loader"));
    connect(loader_, &QThread::finished, this, [this, loading, wordsError, words] {
        loader_->wait();
        delete std::exchange(loader_, nullptr);
        hunspell_ = std::move(*loading);
        if (!hunspell_)
            return;
        for (const QString& word : std::exchange(added_, {}))
            hunspell_->add(word);
        known_.clear();
        if (!wordsError->isEmpty())
            warn(QCoreApplication::translate("kivo", "Your own words in %1 were not read: %2")
                     .arg(QDir::toNativeSeparators(words), *wordsError));
        Q_EMIT loaded();
    });
    loader_->start();
    return false;
}

bool SpellChecker::isCorrect(const QString& word) {
    if (!ready())
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
    if (!ready())
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
    if (!ready())
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
    const QString path = StateFolder::filePath(WordsFileName);
    const auto cannot = [&](const QString& reason) {
        warn(QCoreApplication::translate("kivo", "Could not add the word to %1: %2")
                 .arg(QDir::toNativeSeparators(path), reason));
        return false;
    };
    // The user's own file is never written through a link, into some other file.
    if (QFileInfo(path).isSymLink())
        return cannot(QCoreApplication::translate(
            "kivo", "it is a link, and Kivo does not write through links"));
    TextFileContents words = readTextFile(path, MaxWordsFileSize);
    // A file that cannot be read is not written over: the user's words would be lost.
    if (words.status == TextFileContents::Status::Failed)
        return cannot(words.error);
    if (!writeStateFile(WordsFileName, words.lines << word))
        return false;
    if (hunspell_)
        hunspell_->add(word);
    else
        added_.append(word); // once the dictionary is read
    known_.insert(word, true);
    return true;
}

} // namespace kivo
