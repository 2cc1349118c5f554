// SPDX-License-Identifier: GPL-3.0-or-later
// The module kivo-spelling: Hunspell's functions for the one function Kivo looks up.
#include "SpellingModule.h"

#include <QtGlobal>
#include <hunspell.h>

extern "C" Q_DECL_EXPORT const kivo::spelling::Functions* kivoSpellingFunctions() {
    static const kivo::spelling::Functions functions{
        Hunspell_create,    Hunspell_destroy, Hunspell_spell,           Hunspell_suggest,
        Hunspell_free_list, Hunspell_add,     Hunspell_get_dic_encoding};
    return &functions;
}
