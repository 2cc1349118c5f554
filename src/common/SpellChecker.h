// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace kivo {

// Spelling, by Hunspell with a dictionary installed on the system, and the user's own words
// (words.txt in the state folder, one word a line). The dictionary is read at the first
// check, not before: a user who never types pays nothing for it.
class SpellChecker {
public:
    static inline const QString WordsFileName = QStringLiteral("words.txt");

    // The dictionaries installed, by language name ("en_US"), from $DICPATH and the system's
    // folders.
    static QStringList installedLanguages();
    // What to check in: the language asked for when it is installed, else the locale's, the
    // locale's language in any country, English, or any; empty when none is installed.
    static QString languageFor(const QString& wanted, const QString& localeName,
                               const QStringList& installed);

    explicit SpellChecker(const QString& language);
    ~SpellChecker();
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
    // Into words.txt, and known from now on; false (and said) when the file cannot be written.
    bool addToDictionary(const QString& word);

private:
    bool load();

    struct Hunspell;
    QString language_;
    std::unique_ptr<Hunspell> hunspell_;
    bool loaded_ = false;
    QHash<QString, bool> known_; // words already checked
};

} // namespace kivo
