// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmAbout.h"

#include "Widgets.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kivo {

QString frmAbout::description() {
    return tr("Kivo is a client for the decentralized Veltra network for Linux desktops.") +
           QStringLiteral("\r\n\r\n") + tr("This version was created on February 21, 2026.") +
           QStringLiteral("\r\n");
}

frmAbout::frmAbout(QWidget* owner)
    : QWidget(owner, Qt::Window)
    , Label1(new QLabel(tr("Version 1.0"), this))
    , Text1(new QPlainTextEdit(this))
    , Line1(new QFrame(this))
    , cmdClose(new QPushButton(tr("Close"), this)) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("About"));
    setFixedSize(twipsSize(3870, 2595));

    placed(Label1, "Label1", {120, 120, 3615, 255})->setAlignment(Qt::AlignCenter);
    placed(Text1, "Text1", {120, 360, 3615, 1575})->setReadOnly(true);
    Text1->setPlainText(description());
    Text1->setAccessibleName(tr("About Kivo"));
    QPalette palette = Text1->palette();
    palette.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
    Text1->setPalette(palette);

    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(0, twipsToPixels(2040) - 1, twipsToPixels(3840), 2);

    placed(cmdClose, "cmdClose", {2760, 2160, 1005, 345});
    connect(cmdClose, &QPushButton::clicked, this, &frmAbout::cmdClose_Click);
}

void frmAbout::cmdClose_Click() {
    hide();
    close();
}

} // namespace kivo
