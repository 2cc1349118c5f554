// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as each of the four state files, through their readers. The contact list
// must also survive being written and read again unchanged: nothing the reader takes in may
// be written back differently.
#include "ConferenceFile.h"
#include "ConnectionFile.h"
#include "ContactTree.h"
#include "MessageBoxes.h"
#include "SettingsFile.h"
#include "StateFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using namespace kivo;

namespace {

class SilentBoxes final : public MessageBoxes {
public:
    void warning(const QString&, const QString&) override {}
    bool question(const QString&, const QString&) override { return false; }
};

QStringList dump(const ContactTree& tree) {
    QStringList lines;
    for (const auto& node : tree.nodes())
        lines.append(node->Key + u'\x1f' + node->Text + u'\x1f' +
                     (node->Parent ? node->Parent->Key : QString()));
    return lines;
}

void write(const QString& name, const uint8_t* data, size_t size) {
    QFile file(StateFolder::filePath(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    static SilentBoxes boxes;
    StateFolder::setPath(folder.path());
    MessageBoxes::install(&boxes);
    for (const QString& name : {ContactTree::FileName, ConnectionFile::FileName,
                                SettingsFile::FileName, ConferenceFile::FileName})
        write(name, data, size);

    ContactTree tree;
    tree.LoadContacts();
    tree.UpdateCategoryCounts();
    // What saving puts on disk, read back as loading would.
    ContactTree again;
    again.loadLines(decodeLines(tree.fileBytes()));
    if (dump(again) != dump(tree))
        std::abort();

    QString user, password, host, port;
    ConnectionFile::LoadConnectionData(user, password, host);
    ConnectionFile::GetSavedPort();
    ConnectionFile::LoadConnectionDetails(user, password, host, port);
    SettingsFile::LoadSettings();
    QString conference, server;
    ConferenceFile::LoadConferenceData(conference, server);
    return 0;
}
