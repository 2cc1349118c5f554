// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QThread;

namespace kivo {

// Spelling, by Hunspell with a dictionary installed on the system, and the user's own words
// (words.txt in the state folder, one word a line). The dictionary and the words are read at
// the first check, not before (a user who never types pays nothing for them), and on a thread
// of their own: until they are, every word counts as correct.
class SpellChecker : public QObject {
    Q_OBJECT
public:
    static inline const QString WordsFileName = QStringLiteral("words.txt");
    // A personal word list is small; a larger file is not read, nor written over.
    static constexpr qint64 MaxWordsFileSize = 1024 * 1024;

    // The dictionaries installed, by language name ("en_US"), from $DICPATH and the system's
    // folders.
    static QStringList installedLanguages();
    // What to check in: the language asked for when it is installed, else the locale's, the
    // locale's language in any country, English, or any; empty when none is installed.
    static QString languageFor(const QString& wanted, const QString& localeName,
                               const QStringList& installed);

    explicit SpellChecker(const QString& language, QObject* parent = nullptr);
    // Waits for a load under way.
    ~SpellChecker() override;
    const QString& language() const { return language_; }

    struct Word {
        qsizetype start = 0;
        qsizetype length = 0;
        bool operator==(const Word&) const = default;
    };
    // The misspelt words of a text. Words with digits, web addresses and the word that ends at
    // `typing` (the cursor, while it is still being typed) are not checked.
    QList<Word> misspelt(const QString& text, qsizetype typing = -1);
    bool isCorrect(const QString& word);
    QStringList suggestions(const QString& word, int most = 5);
    // Into words.txt, and known from now on; false (and said) when the file cannot be written
    // (or is a link, which Kivo does not write through).
    bool addToDictionary(const QString& word);

Q_SIGNALS:
    // The dictionary has been read: what was checked before may be checked again.
    void loaded();

private:
    // Whether the dictionary is there to ask; starts reading it the first time.
    bool ready();

    struct Hunspell;
    QString language_;
    std::unique_ptr<Hunspell> hunspell_;
    QThread* loader_ = nullptr;
    bool started_ = false;
    QStringList added_;          // while the dictionary is read: words added meanwhile
    QHash<QString, bool> known_; // words already checked
};

} // namespace kivo
