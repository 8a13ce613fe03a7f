#include <QApplication>
#include <QTest>
#include <memory>

QObject* makeDateTimeDipTest();
QObject* makePlantExTest();
QObject* makeCalendarTest();
QObject* makeExerciserEndToEndTest();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failed = 0;
    for (auto make : {makeDateTimeDipTest, makePlantExTest, makeCalendarTest, makeExerciserEndToEndTest}) {
        std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
