// Program start: the main window (which runs the start-up), the about box
// and the analysis window; only the main window is shown.
#include <QApplication>

#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/about.h"
#include "ecgtrace/power_at.h"
#include "ecgtrace/program_icon.h"
#include "ecgtrace/vf_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ecgtrace"));
    common::ui::SetApplicationTitle(QString::fromLatin1(ecgtrace::kApplicationTitle));
    common::ui::LoadProgramFonts();
    QApplication::setWindowIcon(ecgtrace::ProgramIcon());
    // The program ends with the main window, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);

    ecgtrace::TMainForm mainForm;
    ecgtrace::TAboutBox aboutBox;
    mainForm.SetAboutBox(&aboutBox);
    ecgtrace::TFormPower formPower(mainForm.Model());
    formPower.SetPowerAtButton(mainForm.ButtonPowerAt());
    mainForm.SetAnalysisActions([&formPower] { formPower.OpenFromEt(); },
                                [&formPower] { formPower.OpenFromAt(); });
    QObject::connect(&mainForm, &ecgtrace::TMainForm::Closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    mainForm.show();
    return QApplication::exec();
}
