#include <QApplication>
#include <QTest>
#include <memory>

QObject* makeMaintTest();
QObject* makeSysInfoTest();
QObject* makeCFaultTest();
QObject* makeProgIOTest();
QObject* makeMaintEndToEndTest();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failed = 0;
    for (auto make : {makeMaintTest, makeSysInfoTest, makeCFaultTest, makeProgIOTest, makeMaintEndToEndTest}) {
        std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
