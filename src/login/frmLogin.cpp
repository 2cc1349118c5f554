// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmLogin.h"

#include "Colours.h"
#include "ConnectionController.h"
#include "ConnectionFile.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Text.h"
#include "Twips.h"
#include "Widgets.h"
#include "frmDetails.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kivo {

frmLogin::frmLogin(ConnectionController& connection, QWidget* parent)
    : Dialog(parent)
    , connection_(connection) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(tr("Login"));
    setClientSizeTwips(2715, 1920);

    Label1 = placed(new QLabel(tr("Username:"), this), "Label1", {120, 120, 855, 255});
    txtUsername = placed(new QLineEdit(this), "txtUsername", {990, 90, 1695, 285});
    Label2[0] = placed(new QLabel(tr("Password:"), this), "Label2", {120, 390, 855, 255});
    txtPassword = placed(new QLineEdit(this), "txtPassword", {990, 390, 1695, 285});
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Label2[1] = placed(new QLabel(tr("Host:"), this), "Label2", {120, 660, 855, 255});
    txtHost = placed(new QLineEdit(this), "txtHost", {990, 660, 1695, 285});
    cmdDetails = addButton("cmdDetails", tr("Details..."), {1800, 990, 885, 345});

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(0, twipsToPixels(1440), twipsToPixels(2760), 1);
    Line1->setStyleSheet(
        QStringLiteral("background-color: %1; border: none;")
            .arg(readableOn(QColor(0x40, 0x40, 0x40), palette().color(QPalette::Window)).name()));

    Label1->setBuddy(txtUsername);
    Label2[0]->setBuddy(txtPassword);
    Label2[1]->setBuddy(txtHost);

    cmdOK = addButton("cmdOK", tr("OK"), {840, 1560, 855, 315});
    cmdCancel = addButton("cmdCancel", tr("Cancel"), {1800, 1560, 855, 315});

    setTabOrder(txtUsername, txtPassword);
    setTabOrder(txtPassword, cmdCancel);
    setTabOrder(cmdCancel, cmdOK);
    setTabOrder(cmdOK, txtHost);
    setTabOrder(txtHost, cmdDetails);

    for (QLineEdit* box : {txtUsername, txtPassword, txtHost})
        connect(box, &QLineEdit::textChanged, this, &frmLogin::UpdateOKButton);
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    connect(cmdDetails, &QPushButton::clicked, this, &frmLogin::cmdDetails_Click);

    Form_Load();
    txtUsername->setFocus();
}

void frmLogin::Form_Load() {
    cmdOK->setEnabled(false);
    const Keyring::Login saved = Keyring::saved();
    txtUsername->setText(saved.username);
    txtPassword->setText(saved.password);
    txtHost->setText(saved.host);
    UpdateOKButton();
    // A password kept in the keyring comes later; what the user typed meanwhile stays.
    if (saved.password.isEmpty() && connection_.keyring.enabled())
        connection_.keyring.password(saved, this, [this](const QString& password) {
            if (txtPassword->text().isEmpty()) {
                txtPassword->setText(password);
                UpdateOKButton();
            }
        });
}

void frmLogin::UpdateOKButton() {
    cmdOK->setEnabled(!isBlank(txtUsername->text()) && !isBlank(txtPassword->text()) &&
                      !isBlank(txtHost->text()));
}

void frmLogin::cmdOK_Click() {
    if (isBlank(txtUsername->text()) || isBlank(txtPassword->text()) || isBlank(txtHost->text())) {
        warn(tr("Please fill all fields."));
        return;
    }
    if (!acceptSingleLine({txtUsername->text(), txtPassword->text(), txtHost->text()}))
        return;
    // A port that cannot be used is refused before anything changes.
    if (!ConnectionController::checkPort(ConnectionFile::GetSavedPort()))
        return;
    const QString username = trimSpaces(txtUsername->text());
    const QString password = trimSpaces(txtPassword->text());
    const QString host = trimSpaces(txtHost->text());
    connection_.LoginUser = username;
    connection_.LoginPass = password;
    connection_.keyring.save(username, password, host);
    connection_.WaitingForLogin = true;
    connection_.connectTo(host, static_cast<quint16>(ConnectionFile::GetSavedPort()));
    cmdOK->setEnabled(false);
}

void frmLogin::cmdCancel_Click() {
    close();
}

void frmLogin::cmdDetails_Click() {
    frmDetails details(ownerOnWayland(this));
    details.exec();
}

void frmLogin::loginRefused() {
    txtPassword->setText(QString());
    txtPassword->setFocus();
    cmdOK->setEnabled(true);
}

} // namespace kivo
