// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlinkSchedule.h"
#include "ContactTree.h"
#include "TestSupport.h"

#include <QTest>

using namespace kivo;

namespace {

struct Fixture {
    test::Sandbox sandbox;
    ContactTree tree;
    BlinkSchedule blink{tree};
    ContactNode* general = tree.addGeneralCategory();
    ContactNode* alice = tree.addNewContact(general, "alice");
    ContactNode* bob = tree.addNewContact(general, "bob");

    void tick() {
        sandbox.clock.advanceMs(BlinkSchedule::TickInterval);
        blink.tmrBlink_Timer();
    }
};

bool highlighted(const ContactNode* node) {
    return node->Bold && node->ForeColor == ContactTree::Red;
}

bool normal(const ContactNode* node) {
    return !node->Bold && node->ForeColor == ContactTree::Black;
}

} // namespace

class TestBlink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blinksForThreeSeconds();
    void aRepeatRefreshesTheOneEntry();
    void contactsShareOnePhase();
    void endLookIsNormalWhateverCameBefore();
    void emptyListKeepsThePhase();
    void removedNodesAreDropped();
};

void TestBlink::blinksForThreeSeconds() {
    Fixture f;
    f.blink.StartBlinkContact(f.alice);
    QVERIFY(normal(f.alice)); // nothing changes before the next tick
    int ticks = 0, lit = 0;
    while (!f.blink.BlinkList().isEmpty()) {
        f.tick();
        ++ticks;
        lit += highlighted(f.alice) ? 1 : 0;
    }
    QCOMPARE(ticks, 8); // seven ticks inside the three seconds, the eighth ends it
    QCOMPARE(lit, 4);
    QVERIFY(normal(f.alice));
}

void TestBlink::aRepeatRefreshesTheOneEntry() {
    Fixture f;
    const QDateTime start = f.sandbox.clock.now();
    f.blink.StartBlinkContact(f.alice);
    f.tick();
    f.tick();
    f.sandbox.clock.advanceMs(200); // one second after the first message
    f.blink.StartBlinkContact(f.tree.node(f.alice->Key));
    QCOMPARE(f.blink.BlinkList().size(), 1);
    QCOMPARE(f.blink.BlinkList()[0].endTime, start.addMSecs(4000));
    while (f.sandbox.clock.now() < start.addMSecs(4000)) {
        f.tick();
        QCOMPARE(f.blink.BlinkList().size(), f.sandbox.clock.now() < start.addMSecs(4000) ? 1 : 0);
    }
}

void TestBlink::contactsShareOnePhase() {
    Fixture f;
    f.blink.StartBlinkContact(f.alice);
    f.tick();
    QVERIFY(highlighted(f.alice));
    f.blink.StartBlinkContact(f.bob); // joins the running phase
    f.tick();
    QVERIFY(normal(f.alice) && normal(f.bob));
    f.tick();
    QVERIFY(highlighted(f.alice) && highlighted(f.bob));
    for (int i = 0; i < 5; ++i)
        f.tick(); // alice's three seconds are over, bob's are not
    QCOMPARE(f.blink.BlinkList().size(), 1);
    QCOMPARE(f.blink.BlinkList()[0].node, f.bob);
}

void TestBlink::endLookIsNormalWhateverCameBefore() {
    Fixture f;
    f.blink.StartBlinkContact(f.alice);
    f.tree.setLook(f.alice, true, 0x00FF00); // some other look at the end
    f.sandbox.clock.advanceMs(BlinkSchedule::LifeMs);
    f.blink.tmrBlink_Timer();
    QVERIFY(normal(f.alice));
    QVERIFY(f.blink.BlinkList().isEmpty());
}

void TestBlink::emptyListKeepsThePhase() {
    Fixture f;
    f.blink.StartBlinkContact(f.alice);
    f.sandbox.clock.advanceMs(BlinkSchedule::LifeMs);
    f.blink.tmrBlink_Timer(); // inverts, then ends the entry
    QVERIFY(f.blink.BlinkState());
    f.tick();
    f.tick();
    QVERIFY(f.blink.BlinkState());
    QVERIFY(normal(f.alice));
}

void TestBlink::removedNodesAreDropped() {
    Fixture f;
    f.blink.StartBlinkContact(f.alice);
    f.blink.StartBlinkContact(f.bob);
    f.tick();
    f.tree.remove(f.alice);
    QCOMPARE(f.blink.BlinkList().size(), 1);
    f.tree.remove(f.general);
    QVERIFY(f.blink.BlinkList().isEmpty());
    f.tick(); // touches nothing that is gone
    f.tree.addGeneralCategory();
    f.tree.LoadContacts(); // no file: nothing happens
    f.blink.StartBlinkContact(f.tree.addNewContact(f.tree.node("general"), "carl"));
    f.tree.clear();
    QVERIFY(f.blink.BlinkList().isEmpty());
}

QTEST_GUILESS_MAIN(TestBlink)
#include "tst_blink.moc"
