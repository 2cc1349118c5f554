// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

namespace kivo {

// Kivo's texts, and Qt's own (standard buttons), in the user's language when there is a
// translation; the English texts otherwise.
void installTranslations(QCoreApplication& app);

} // namespace kivo
