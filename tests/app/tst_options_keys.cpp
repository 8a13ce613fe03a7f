// The options dialog's key screen against the keys a desktop really sends: editing keys such as
// Delete arrive with a control character as their text (X11 gives Delete the text "\x7f"), yet they
// type nothing and must keep working.
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "ScriptedUiServices.h"
#include "app/frmOptions.h"
#include "comm/CScanLoop.h"

class TestOptionsKeys : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("FC_HOME", m_home->path().toLocal8Bit());
        m_ui = std::make_unique<ScriptedUiServices>();
    }
    void cleanup() {
        m_ui.reset();
        qunsetenv("FC_HOME");
        m_home.reset();
    }

    void optionsEditingKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("keyText");  // the text the desktop sends with the key
        QTest::addColumn<QString>("result");   // the box held "123" with the cursor after "1"
        QTest::newRow("Delete as X11 sends it")
            << int(Qt::Key_Delete) << QStringLiteral("\x7f") << QStringLiteral("13");
        QTest::newRow("Delete without text") << int(Qt::Key_Delete) << QString() << QStringLiteral("13");
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << QStringLiteral("\b") << QStringLiteral("23");
        QTest::newRow("a letter") << int(Qt::Key_A) << QStringLiteral("a") << QStringLiteral("123");
        QTest::newRow("a digit") << int(Qt::Key_9) << QStringLiteral("9") << QStringLiteral("1923");
    }
    void optionsEditingKeys() {
        QFETCH(int, key);
        QFETCH(QString, keyText);
        QFETCH(QString, result);
        CScanLoop loop;
        frmOptions dialog(loop, nullptr, [] { return QList<CSerialService::PortInfo>{}; });
        dialog.show();
        for (const char* name : {"txtPortNo", "txtReadScanRate", "txtWriteScanRate"}) {
            auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
            QVERIFY(edit);
            edit->setFocus();
            edit->setText(QStringLiteral("123"));
            edit->setCursorPosition(1);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, keyText);
            QCoreApplication::sendEvent(edit, &press);
            QCOMPARE(edit->text(), result);
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<ScriptedUiServices> m_ui;
};

QTEST_MAIN(TestOptionsKeys)
#include "tst_options_keys.moc"
