#pragma once
// Shared set-up of the window tests: a fresh working folder holding the
// introduction texts, answered dialogs and helpers that type as a user does.
#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/model/signal_model.h"
#include "ecgtrace/analysis_window.h"
#include "ecgtrace/main_window.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace testing_support {

class EcgtraceWindowTest : public ::testing::Test {
protected:
    EcgtraceWindowTest() {
        common::ui::SetApplicationTitle(QStringLiteral("VF simulation"));
        common::ui::LoadProgramFonts();
        for (const char* name : {"V13.rtf", "V13b.rtf"})
            QFile::copy(QStringLiteral(ARRHYTHMICA_SOURCE_DIR "/data/ecgtrace/") + name,
                        QString::fromStdString(dir.File(name)));
    }

    std::unique_ptr<ecgtrace::MainWindow> Open() {
        return std::make_unique<ecgtrace::MainWindow>();
    }
    // The analysis window of `main`, following it as the program's does.
    static std::unique_ptr<ecgtrace::AnalysisWindow> AnalysisOf(ecgtrace::MainWindow& main) {
        return std::make_unique<ecgtrace::AnalysisWindow>(
            main.Session(), [&main] { return main.AnalysedSubject(); });
    }

    // "vfdef.par" with the defaults except group 1 (Ta 180) and group 3
    // (Te 9, s1 12, M 10, P0 0.3).
    void WriteParameterFile() {
        ecgtrace::SignalModel m;
        m.SetDefaultParameters();
        m.SetParameter(1, ecgtrace::Parameter::Ta, 180);
        m.SetParameter(3, ecgtrace::Parameter::Te, 9);
        m.SetParameter(3, ecgtrace::Parameter::s1, 12);
        m.SetParameter(3, ecgtrace::Parameter::M, 10);
        m.SetParameter(3, ecgtrace::Parameter::P0, 0.3);
        m.SaveParameterFile(dir.File("vfdef.par"));
    }

    template <class W>
    static W* Find(QWidget& form, const char* name) {
        W* w = form.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QLineEdit* Edit(QWidget& f, const char* n) { return Find<QLineEdit>(f, n); }
    static QLabel* Label(QWidget& f, const char* n) { return Find<QLabel>(f, n); }
    static QPushButton* Button(QWidget& f, const char* n) { return Find<QPushButton>(f, n); }
    static common::ui::IntSpinEdit* Spin(QWidget& f, const char* n) {
        return Find<common::ui::IntSpinEdit>(f, n);
    }
    static common::ui::PlotView* Plot(QWidget& f, const char* n) {
        return Find<common::ui::PlotView>(f, n);
    }
    static QTabWidget* Tabs(QWidget& f) { return Find<QTabWidget>(f, "tabs"); }

    // Replaces the whole text by typing, one key at a time.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, text);
    }
    static void Type(common::ui::IntSpinEdit* spin, const QString& text) {
        Type(spin->Editor(), text);
    }
    // Ends the editing with Enter.
    static void Enter(QLineEdit* edit) { QTest::keyClick(edit, Qt::Key_Return); }
    static void Enter(common::ui::IntSpinEdit* spin) { Enter(spin->Editor()); }
    template <class Field>
    static void TypeAndEnter(Field* field, const QString& text) {
        Type(field, text);
        Enter(field);
    }
    static void SpinUp(common::ui::IntSpinEdit* spin) { spin->StepUp(); }
    static void SpinDown(common::ui::IntSpinEdit* spin) { spin->StepDown(); }

    ScopedWorkDir dir;
    FakeDialogs dialogs;
};

}  // namespace testing_support
