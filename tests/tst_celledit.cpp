// Editing registers in their grid cells with the real keyboard events: the
// filter, the step keys, the modifier rules, the clipboard keys, the timing of
// the write and its read-back, and what failures leave in the cell.
#include "board/boardlink.h"
#include "registers/registergrid.h"
#include "support/clicks.h"
#include "support/reports.h"
#include "support/testrig.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

namespace {

// One key event, exactly as given (QTest's own helpers also press and release
// the modifier keys around the key).
void sendKey(QWidget* w, QEvent::Type type, int key, Qt::KeyboardModifiers mods = {},
             const QString& text = {}) {
    QKeyEvent event(type, key, mods, text);
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestCellEdit : public QObject {
    Q_OBJECT
private slots:
    void typedCharactersAreFiltered_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("after");
        QTest::newRow("lower-case a") << "" << int('a') << "A";
        QTest::newRow("digit") << "1" << int('9') << "19";
        QTest::newRow("third character") << "12" << int('3') << "12";
        QTest::newRow("third lower-case character") << "12" << int('b') << "12";
    }
    void typedCharactersAreFiltered() {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(QString, after);
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x05);
        cell->setText(before);
        QTest::keyPress(cell, static_cast<char>(key));
        QCOMPARE(cell->text(), after);
        QVERIFY(rig.board().received.empty()); // nothing is written before the release
    }

    // Every way text can enter a hex box goes through the filter.
    void altAndComposedTextAreFiltered_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text"); // typed with the modifiers, or committed if none
        QTest::addColumn<QString>("after");
        const int alt = Qt::AltModifier;
        const int ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
        QTest::newRow("Alt+g in a cell") << "txtRegVal_5" << alt << "g"
                                         << "00";
        QTest::newRow("Alt+a in a cell") << "txtRegVal_5" << alt << "a"
                                         << "00";
        QTest::newRow("Ctrl+Alt+x in a value box") << "txtWriteIndividual_1" << ctrlAlt << "x"
                                                   << "00";
        QTest::newRow("composed é") << "txtRegVal_5" << 0 << "\u00e9"
                                    << "00";
        QTest::newRow("composed a") << "txtRegister" << 0 << "a"
                                    << "0A";
        QTest::newRow("committed hex") << "txtRegVal_5" << 0 << "b"
                                       << "0B";
    }
    void altAndComposedTextAreFiltered() {
        QFETCH(QString, box);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, after);
        TestRig rig;
        rig.loadAndSettle();
        auto* edit = rig.window().findChild<QLineEdit*>(box);
        edit->setText(QStringLiteral("00"));
        edit->setCursorPosition(1);
        edit->setSelection(1, 1); // typing replaces the second digit
        if (modifiers) {
            sendKey(edit, QEvent::KeyPress, text.front().toUpper().unicode(),
                    Qt::KeyboardModifiers(modifiers), text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(edit, &commit);
        }
        QCOMPARE(edit->text(), after);
    }

    void editingKeysStillWork() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x05);
        cell->setText(QStringLiteral("12"));
        QTest::keyPress(cell, Qt::Key_Backspace);
        QCOMPARE(cell->text(), QStringLiteral("1"));
        QTest::keyPress(cell, Qt::Key_Home);
        QTest::keyPress(cell, Qt::Key_Delete);
        QCOMPARE(cell->text(), QString());
        // The box's own cut and undo do nothing.
        cell->setText(QStringLiteral("34"));
        cell->selectAll();
        QTest::keyPress(cell, Qt::Key_X, Qt::ControlModifier);
        QTest::keyPress(cell, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(cell->text(), QStringLiteral("34"));
        QTest::keyPress(cell, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cell->text(), QStringLiteral("34"));
    }

    void aTypedValueIsWrittenAfterHalfASecondAndReadBack() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x05);
        // What the board had received at each 4 ms slice of the waits.
        const double start = rig.clock.now;
        std::vector<std::pair<double, std::size_t>> seen;
        rig.clock.onSleep = [&](double now) {
            seen.emplace_back(now - start, reportsWithCommand(rig.board(), CMD_I2C).size());
        };
        QTest::keyClick(cell, 'a');
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 (std::vector<Report>{i2cWrite(0x00, 0x05, {0x0A}), i2cRead(0x00, 0x05, 1)}));
        for (const auto& [t, count] : seen) {
            if (t < 0.499)
                QCOMPARE(count, 0u); // nothing written during the first half second
            else if (t > 0.52)
                QCOMPARE(count, 1u); // the read-back waits its 0.2 s
        }
        QVERIFY(seen.back().first >= 0.7);
        QCOMPARE(cell->text(), QStringLiteral("0A"));
        QCOMPARE(rig.chip().registers[0x05], 0x0A);
    }

    void theCellShowsWhatTheChipReadsBack() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x02);
        cell->setText(QStringLiteral("1"));
        QTest::keyClick(cell, 'c'); // 0x1C: the reset bit, which the chip clears
        QCOMPARE(i2cWritesReceived(rig.board()).back(), i2cWrite(0x00, 0x02, {0x1C}));
        QCOMPARE(cell->text(), QStringLiteral("0C"));
    }

    void stepKeys_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("written"); // every byte written, in order
        QTest::newRow("Up on FF") << "FF" << int(Qt::Key_Up) << 0 << "00" << QByteArray("\x00", 1);
        QTest::newRow("Right") << "3C" << int(Qt::Key_Right) << 0 << "3D" << QByteArray("\x3D");
        QTest::newRow("Left on 00") << "00" << int(Qt::Key_Left) << 0 << "FF" << QByteArray("\xFF");
        QTest::newRow("Page Down on 05")
            << "05" << int(Qt::Key_PageDown) << 0 << "F5" << QByteArray("\xF5");
        QTest::newRow("Page Up on F8")
            << "F8" << int(Qt::Key_PageUp) << 0 << "08" << QByteArray("\x08");
        QTest::newRow("Down on empty")
            << "" << int(Qt::Key_Down) << 0 << "FF" << QByteArray("\xFF");
        QTest::newRow("single digit") << "7" << int(Qt::Key_Up) << 0 << "08" << QByteArray("\x08");
        // Shift or Ctrl: the arrow neither steps nor writes; the release of the
        // modifier itself writes the value again, as every release does.
        QTest::newRow("Shift+Up") << "10" << int(Qt::Key_Up) << int(Qt::ShiftModifier) << "10"
                                  << QByteArray("\x10");
        QTest::newRow("Ctrl+Up") << "10" << int(Qt::Key_Up) << int(Qt::ControlModifier) << "10"
                                 << QByteArray("\x10");
        QTest::newRow("Shift+Ctrl+Up")
            << "10" << int(Qt::Key_Up) << int(Qt::ShiftModifier | Qt::ControlModifier) << "10"
            << QByteArray("\x10");
        QTest::newRow("Alt+Up") << "10" << int(Qt::Key_Up) << int(Qt::AltModifier) << "11"
                                << QByteArray("\x11\x11");
        QTest::newRow("Ctrl+Alt+Up")
            << "10" << int(Qt::Key_Up) << int(Qt::ControlModifier | Qt::AltModifier) << "11"
            << QByteArray("\x11\x11");
    }
    void stepKeys() {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, shown);
        QFETCH(QByteArray, written);
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x06);
        cell->setText(before);
        QString shownAtOnce; // during the pause before the first read-back
        rig.clock.onSleep = [&](double) {
            if (shownAtOnce.isNull() && !i2cWritesReceived(rig.board()).empty())
                shownAtOnce = cell->text();
        };
        // The modifier keys are pressed and released around the key, as a user does.
        QTest::keyClick(cell, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
        std::vector<Report> expected;
        for (char b : written)
            expected.push_back(i2cWrite(0x00, 0x06, {std::uint8_t(b)}));
        QCOMPARE(i2cWritesReceived(rig.board()), expected);
        QCOMPARE(shownAtOnce, shown); // shown before the write's 0.2 s pause
        QCOMPARE(cell->text(), shown);
        QCOMPARE(rig.chip().registers[0x06], std::uint8_t(written.back()));
    }

    void selectAllThenDeleteWritesZero() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x04);
        cell->setText(QStringLiteral("5A"));
        rig.chip().registers[0x04] = 0x5A;
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        cell->setFocus();
        QTest::keyClick(cell, Qt::Key_A, Qt::ControlModifier);
        // Letting Ctrl go writes the value again; the read-back leaves the selection.
        QCOMPARE(cell->selectedText(), QStringLiteral("5A"));
        QTest::keyClick(cell, Qt::Key_Delete);
        QCOMPARE(i2cWritesReceived(rig.board()),
                 (std::vector<Report>{i2cWrite(0x00, 0x04, {0x5A}), i2cWrite(0x00, 0x04, {0x00})}));
        QCOMPARE(cell->text(), QStringLiteral("00"));
    }

    void pasteIsWrittenOnTheNextRelease() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x09);
        cell->setText(QStringLiteral("AB"));
        QApplication::clipboard()->setText(QStringLiteral("7"));
        sendKey(cell, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
        sendKey(cell, QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        sendKey(cell, QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        QCOMPARE(cell->text(), QStringLiteral("7"));
        QVERIFY(i2cWritesReceived(rig.board()).empty());
        // The next release whose modifier state is not Shift or Ctrl: here, Ctrl's own.
        sendKey(cell, QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(i2cWritesReceived(rig.board()), std::vector<Report>{i2cWrite(0x00, 0x09, {0x07})});
        QCOMPARE(cell->text(), QStringLiteral("07"));
    }

    // A paste is a byte only as one or two hex digits, with blanks around
    // and a 0x prefix allowed; anything else is kept, not written, and beeps.
    void pastesThatAreNotAByteAreNotWritten_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("written"); // -1: nothing
        QTest::newRow("above a byte") << "1ff" << -1;
        QTest::newRow("not hex") << "zz" << -1;
        QTest::newRow("control characters") << "\x01\x7f" << -1;
        QTest::newRow("prefix") << "0x5A" << 0x5A;
        QTest::newRow("blanks and prefix") << " 0X7 " << 0x07;
    }
    void pastesThatAreNotAByteAreNotWritten() {
        QFETCH(QString, pasted);
        QFETCH(int, written);
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x09);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(cell, Qt::Key_V, Qt::ControlModifier); // Ctrl's release writes
        QTest::keyClick(cell, Qt::Key_Up);
        if (written < 0) {
            QVERIFY(i2cWritesReceived(rig.board()).empty());
            QCOMPARE(rig.dialogs.beeps, 2);
            QCOMPARE(cell->text(), pasted); // no filter, no length limit
        } else {
            QCOMPARE(i2cWritesReceived(rig.board()),
                     (std::vector<Report>{i2cWrite(0x00, 0x09, {written}),
                                          i2cWrite(0x00, 0x09, {written + 1})}));
        }
    }

    void copy() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x03);
        cell->setText(QStringLiteral("12"));
        cell->deselect();
        QApplication::clipboard()->setText(QStringLiteral("old"));
        QTest::keyClick(cell, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString());
        QTest::keyClick(cell, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(cell, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("12"));
        // Each release of Ctrl on its own writes what the cell holds.
        QCOMPARE(i2cWritesReceived(rig.board()).size(), 3u);
    }

    void testRegisterCellWritesItsRegister() {
        TestRig rig;
        rig.loadAndSettle();
        rig.window().ShowTestTabs(true);
        QLineEdit* cell = rig.window().grid().cell(22); // 0x16, no label
        QTest::keyClick(cell, 'c');
        QCOMPARE(i2cWritesReceived(rig.board()), std::vector<Report>{i2cWrite(0x00, 0x16, {0x0C})});
        QCOMPARE(rig.chip().registers[0x16], 0x0C);
    }

    void disabledCellsTakeNoKeys() {
        TestRig rig;
        rig.loadAndSettle();
        for (int r : {0x00, 0x01, 0x0A, 0x0B, 0x0C}) {
            QLineEdit* cell = rig.window().grid().cell(r);
            cell->setText(QStringLiteral("31"));
            cell->setFocus();
            QTest::keyClick(cell, Qt::Key_Backspace);
            QTest::keyClick(cell, Qt::Key_Up);
            QTest::keyClick(cell, '5');
            QCOMPARE(cell->text(), QStringLiteral("31"));
        }
        QVERIFY(rig.board().received.empty());
    }

    void notAcknowledgedKeepsTheTypedText() {
        TestRig rig(1, 0x20);
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x05);
        rig.dialogs.answer(Answer::Retry);
        QTest::keyClick(cell, 'a');
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 std::vector<Report>{i2cWrite(0x00, 0x05, {0x0A})}); // no read-back
        QCOMPARE(cell->text(), QStringLiteral("A"));
    }

    void aFailedReadBackShowsTheWrittenValue() {
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x05] = 0x00;
        QLineEdit* cell = rig.window().grid().cell(0x05);
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::drop()};
        QTest::keyClick(cell, 'a');
        QCOMPARE(cell->text(), QStringLiteral("0A"));
        QVERIFY(rig.dialogs.shown.empty());
    }

    void aLateAnswerLeftDuringTheWaitIsNotTheReadBack() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x05);
        bool clicked = false;
        rig.clock.onSleep = [&](double) {
            // Between the write and its read-back the user picks a channel,
            // whose read-back answer comes too late.
            if (clicked || i2cWritesReceived(rig.board()).size() != 1)
                return;
            clicked = true;
            rig.board().answerFaults = {AnswerFault::none(), AnswerFault::late()};
            clickButton(rig.widget<QRadioButton>(QStringLiteral("obChannelSelect_1")));
        };
        QTest::keyClick(cell, 'a');
        QVERIFY(clicked);
        QCOMPARE(rig.window().grid().text(0x02), QStringLiteral("01"));
        QCOMPARE(cell->text(), QStringLiteral("0A")); // not register 0x02's late answer
    }

    void aSecondDigitDuringTheWaitIsPartOfTheValue() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x07);
        cell->clear();
        bool typed = false;
        rig.clock.onSleep = [&](double) {
            if (!typed) {
                typed = true;
                QTest::keyClick(cell, '2'); // runs to its end inside the first wait
            }
        };
        QTest::keyClick(cell, '1');
        QCOMPARE(i2cWritesReceived(rig.board()),
                 (std::vector<Report>{i2cWrite(0x00, 0x07, {0x12}), i2cWrite(0x00, 0x07, {0x12})}));
        QCOMPARE(cell->text(), QStringLiteral("12"));
    }

    void shiftHeldWhileTypingWritesWhenShiftIsReleased() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x05);
        cell->clear();
        sendKey(cell, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
        for (int i = 0; i < 2; ++i) {
            sendKey(cell, QEvent::KeyPress, Qt::Key_F, Qt::ShiftModifier, QStringLiteral("F"));
            sendKey(cell, QEvent::KeyRelease, Qt::Key_F, Qt::ShiftModifier, QStringLiteral("F"));
        }
        QCOMPARE(cell->text(), QStringLiteral("FF"));
        QVERIFY(i2cWritesReceived(rig.board()).empty());
        sendKey(cell, QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
        QCOMPARE(i2cWritesReceived(rig.board()), std::vector<Report>{i2cWrite(0x00, 0x05, {0xFF})});
    }

    void aKeyPressedElsewhereDoesNotWrite() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x07);
        // The release of the Tab that moved the focus here, or of a modifier
        // held since before, is not an edit of this cell.
        QTest::keyRelease(cell, Qt::Key_Tab);
        QTest::keyRelease(cell, Qt::Key_Control, Qt::ControlModifier);
        QVERIFY(rig.board().received.empty());
    }

    void aHeldKeyWritesOnceWhenReleased() {
        TestRig rig;
        rig.loadAndSettle();
        QLineEdit* cell = rig.window().grid().cell(0x05);
        cell->setText(QStringLiteral("10"));
        for (int i = 0; i < 3; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), i > 0);
            QApplication::sendEvent(cell, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(cell, &release);
        }
        QVERIFY(i2cWritesReceived(rig.board()).empty());
        QTest::keyRelease(cell, Qt::Key_Up);
        QCOMPARE(i2cWritesReceived(rig.board()), std::vector<Report>{i2cWrite(0x00, 0x05, {0x11})});
    }
};

QTEST_MAIN(TestCellEdit)
#include "tst_celledit.moc"
