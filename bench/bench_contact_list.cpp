// SPDX-License-Identifier: GPL-3.0-or-later
// A contact list of 100,000 contacts in the main window: start-up with it, the memory it
// takes, and adding and deleting one contact (each saves the whole list).
#include "ContactTree.h"
#include "Form1.h"
#include "Measure.h"
#include "StateFiles.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace kivo;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    StateFolder::setPath(dir.path());
    constexpr int Categories = 100, PerCategory = 1000;
    {
        QFile settings(StateFolder::filePath(QStringLiteral("settings.dat")));
        settings.open(QIODevice::WriteOnly);
        settings.write("False\r\n"); // no login dialog
        QByteArray bytes;
        for (int c = 0; c < Categories; ++c) {
            const QByteArray key = "category_Group " + QByteArray::number(c);
            bytes += "C|" + key + "|Group " + QByteArray::number(c) + " (" +
                     QByteArray::number(PerCategory) + ")|\r\n";
            for (int u = 0; u < PerCategory; ++u) {
                const QByteArray name = "user" + QByteArray::number(c * PerCategory + u);
                bytes += "U|" + key + "_contact_" + name + '|' + name + '|' + key + "\r\n";
            }
        }
        QFile file(StateFolder::filePath(ContactTree::FileName));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        std::printf("Contact list of %d contacts in %d categories, %lld bytes\n",
                    Categories * PerCategory, Categories, static_cast<long long>(bytes.size()));
    }
    const long heapBefore = bench::heapKiB();
    const long residentBefore = bench::residentKiB();
    QElapsedTimer timer;
    timer.start();
    Form1 window;
    window.show();
    QCoreApplication::processEvents();
    const double start = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("  %-40s %9.1f ms\n", "main window with the list, shown", start);
    std::printf("  %-40s %9ld KiB heap, %ld KiB resident\n", "the list's memory",
                bench::heapKiB() - heapBefore, bench::residentKiB() - residentBefore);

    ContactTree& tree = window.contacts();
    ContactNode* category = tree.node(QStringLiteral("category_Group 50"));
    int n = 0;
    const double add = bench::medianMs(9, [&] {
        tree.addNewContact(category, QStringLiteral("newcomer%1").arg(n++));
        tree.UpdateCategoryCounts();
        tree.SaveContacts();
        QCoreApplication::processEvents();
    });
    const double remove = bench::medianMs(9, [&] {
        tree.remove(tree.node(QStringLiteral("category_Group 50_contact_newcomer%1").arg(--n)));
        tree.UpdateCategoryCounts();
        tree.SaveContacts();
        QCoreApplication::processEvents();
    });
    std::printf("  %-40s %9.1f ms\n", "add a contact and save", add);
    std::printf("  %-40s %9.1f ms\n", "delete a contact and save", remove);
    return 0;
}
