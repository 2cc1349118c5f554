// SPDX-License-Identifier: GPL-3.0-or-later
// Contact list: load, save and one recount with 10,000 contacts in 100 categories, against
// the floor of reading and writing the same bytes.
#include "ContactTree.h"
#include "Measure.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

using namespace kivo;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    StateFolder::setPath(dir.path());
    {
        ContactTree tree;
        for (int c = 0; c < 100; ++c) {
            ContactNode* category = tree.addNewCategory(QStringLiteral("Category %1").arg(c));
            for (int u = 0; u < 100; ++u)
                tree.addNewContact(category, QStringLiteral("user%1_%2").arg(c).arg(u));
        }
        tree.UpdateCategoryCounts();
        tree.SaveContacts();
    }
    const QString path = StateFolder::filePath(ContactTree::FileName);
    QFile source(path);
    source.open(QIODevice::ReadOnly);
    const QByteArray bytes = source.readAll();

    const double readFloor = bench::medianMs(15, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        volatile qsizetype n = file.readAll().size();
        (void)n;
    });
    const double writeFloor = bench::medianMs(15, [&] {
        QSaveFile file(dir.filePath(QStringLiteral("floor.dat")));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.commit();
    });

    ContactTree tree;
    const double load = bench::medianMs(15, [&] { tree.LoadContacts(); });
    const double save = bench::medianMs(15, [&] { tree.SaveContacts(); });
    const double recount = bench::medianMs(15, [&] { tree.UpdateCategoryCounts(); });
    const QString key = QStringLiteral("category_Category 50_contact_user50_50");
    volatile int found = 0;
    const double lookup = bench::medianMs(15, [&] {
        for (int i = 0; i < 10000; ++i)
            found = found + (tree.NodeKeyExists(key) ? 1 : 0);
    });

    std::printf("Contact list, %zu nodes, %lld bytes\n", tree.nodes().size(),
                static_cast<long long>(bytes.size()));
    bench::report("LoadContacts", load, readFloor);
    bench::report("SaveContacts", save, writeFloor);
    bench::report("UpdateCategoryCounts", recount, readFloor);
    std::printf("  %-34s %9.4f us each\n", "NodeKeyExists", lookup * 1000 / 10000);
    return 0;
}
