// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatLayout.h"

namespace kivo {
namespace {

constexpr float Margin = 120.0f;
constexpr float LabelOverlap = -80.0f; // the transcript starts above the label's bottom edge

// The arithmetic runs in single precision on whole twips, as the window was designed.
void place(QRect& control, float left, float top, float width, float height) {
    if (width < 0 || height < 0)
        return;
    control.setRect(qRound(left), qRound(top), qRound(width), qRound(height));
}

} // namespace

ChatGeometry ChatGeometry::design() {
    return {QRect(90, 30, 5655, 375), QRect(90, 330, 5655, 3825), QRect(90, 4200, 4695, 405),
            QRect(4890, 4230, 855, 375)};
}

void layoutChat(ChatGeometry& g, int clientWidthTwips, int clientHeightTwips) {
    const auto w = static_cast<float>(clientWidthTwips);
    const auto h = static_cast<float>(clientHeightTwips);

    const auto sendWidth = static_cast<float>(g.cmdSend.width());
    const auto sendHeight = static_cast<float>(g.cmdSend.height());
    place(g.cmdSend, w - sendWidth - Margin, h - sendHeight - Margin, sendWidth, sendHeight);

    place(g.txtMessage, Margin, static_cast<float>(g.cmdSend.top()),
          static_cast<float>(g.cmdSend.left()) - 2 * Margin,
          static_cast<float>(g.txtMessage.height()));

    const float top = static_cast<float>(g.lblContact.top()) +
                      static_cast<float>(g.lblContact.height()) + LabelOverlap;
    place(g.txtChat, Margin, top, w - 2 * Margin,
          static_cast<float>(g.txtMessage.top()) - (top + Margin));
}

} // namespace kivo
