// Program entry: creates the windows in their start-up order and runs the
// message loop.
#include "app/Application.h"
#include "app/AutoForms.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "sim/SimBackend.h"
#include "widgets/WidgetUnits.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const widgets::TWidgetUnits widgetUnits;
    TApplication application(argc, argv);
    QApplication::setApplicationName("QM5230 Tessaron");
    d2xx::setSimulatorFactory([] { return sim::makeBackend(); });

    return TApplication::Run([] {
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        AutoForms forms(arguments, TMainForm::DefaultIniPath(), d2xx::systemDriver());
        forms.Show();
        return QApplication::exec();
    });
}
