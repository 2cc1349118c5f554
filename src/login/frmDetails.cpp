// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmDetails.h"

#include "ConnectionFile.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Text.h"
#include "Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kivo {

frmDetails::frmDetails(QWidget* parent)
    : Dialog(parent) {
    setObjectName(QStringLiteral("frmDetails"));
    setWindowTitle(tr("Login Settings"));
    setClientSizeTwips(3690, 1470);

    Frame1 =
        placed(new QGroupBox(tr("Connection Settings"), this), "Frame1", {120, 120, 3495, 735});
    Label1 = placed(new QLabel(tr("Server port:"), Frame1), "Label1", {120, 360, 855, 255});
    txtPort = placed(new QLineEdit(Frame1), "txtPort", {1080, 330, 2295, 285});
    Label1->setBuddy(txtPort);

    cmdOK = addButton("cmdOK", tr("OK"), {1920, 960, 615, 375});
    cmdCancel = addButton("cmdCancel", tr("Cancel"), {2640, 960, 975, 375});
    setTabOrder(txtPort, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmDetails::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDetails::cmdCancel_Click);

    Form_Load();
    txtPort->setFocus();
}

void frmDetails::Form_Load() {
    QString username, password, host, port;
    ConnectionFile::LoadConnectionDetails(username, password, host, port);
    if (port.isEmpty())
        port = QString::number(ConnectionFile::DefaultPort);
    txtPort->setText(port);
}

void frmDetails::cmdOK_Click() {
    if (!acceptSingleLine({txtPort->text()}))
        return;
    const QString port = trimSpaces(txtPort->text());
    if (port.isEmpty() || !numericValue(port)) {
        warn(tr("Please enter a valid port."));
        return;
    }
    // A failed save has been reported; the dialog stays open so nothing seems saved.
    if (ConnectionFile::SaveServerPort(port))
        close();
}

void frmDetails::cmdCancel_Click() {
    close();
}

} // namespace kivo
