// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TranscriptLayout.h"

#include <optional>

namespace kivo {

class TranscriptModel;

// Where a key moves the reading caret of a transcript, in the text as shown: Left and Right by
// character, with Ctrl by word; Up and Down by line; Page Up and Page Down by pageLines lines;
// Home and End to the line's ends, with Ctrl to the transcript's. Shift does not matter here:
// it only keeps the selection's other end. Nothing when the key does not move a caret.
std::optional<TranscriptLayout::Position> caretMoved(const TranscriptModel& model,
                                                     const TranscriptLayout::Position& at, int key,
                                                     Qt::KeyboardModifiers modifiers,
                                                     int pageLines);

} // namespace kivo
