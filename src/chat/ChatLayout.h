// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

namespace kivo {

// Where the four controls of a chat window sit, in twips.
struct ChatGeometry {
    QRect lblContact;
    QRect txtChat;
    QRect txtMessage;
    QRect cmdSend;

    static ChatGeometry design();
    static constexpr int DesignClientWidth = 5880;
    static constexpr int DesignClientHeight = 4650;
};

// Keeps Send in the bottom-right corner, stretches the input line to its left and gives the
// transcript the rest under the label. A move that would give a control a negative width or
// height is refused and the control keeps its place. The label never moves.
void layoutChat(ChatGeometry& geometry, int clientWidthTwips, int clientHeightTwips);

} // namespace kivo
