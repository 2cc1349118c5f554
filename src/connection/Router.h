// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Protocol.h"

#include <QString>

namespace kivo {

// What a server message means, decided without touching any window; the main window carries
// the decision out.
struct RouteDecision {
    enum class Action {
        Nothing,
        Warning,    // text, title, kind
        IgnoreList, // text: the whole message
        IgnoreListEmpty,
        PrivateMessage, // sender (as received), text (trimmed)
        ConferenceLine, // text: the whole message
    };
    Action action = Action::Nothing;
    QString text{};
    QString title{};
    QString sender{};
    // A warning's kind: the same for every warning that differs only in a name it holds.
    QString kind{};
    ReplyAnswers answers = ReplyAnswers::Nothing;
};

RouteDecision decideRoute(const QString& message);

// The shape of a line in the conference transcript.
struct ConferenceLine {
    enum class Form { System, User, Plain };
    Form form = Form::Plain;
    QString user{}; // User form only
    QString text{}; // User form: the user's text, trimmed
};

ConferenceLine classifyConferenceLine(const QString& message);

} // namespace kivo
