// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The seam between Kivo and the module that checks spelling (kivo-spelling, linked with
// Hunspell): Hunspell's own functions, handed over once the first word is checked, so that a
// user who never types loads neither Hunspell nor a dictionary.
struct Hunhandle;

namespace kivo::spelling {

struct Functions {
    Hunhandle* (*create)(const char* affixFile, const char* dictionaryFile);
    void (*destroy)(Hunhandle*);
    int (*spell)(Hunhandle*, const char* word);
    int (*suggest)(Hunhandle*, char*** list, const char* word);
    void (*freeList)(Hunhandle*, char*** list, int count);
    int (*add)(Hunhandle*, const char* word);
    char* (*encoding)(Hunhandle*);
};

using Get = const Functions* (*)();

inline constexpr char GetFunction[] = "kivoSpellingFunctions";

} // namespace kivo::spelling
