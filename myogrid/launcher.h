#pragma once
// Launcher: Myogrid's main window. Opens the models, the illusion and the
// book's chapters, starts the fractal program, shows the title animation,
// and owns the parameter table with its file.
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/title_animation.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace common::ui {
class PlotView;
}

namespace myogrid {

class ProcessStarter;
class IllusionWindow;

inline constexpr const char* kApplicationTitle = "models of ventriculat fibrillation";
inline constexpr const char* kLauncherCaption = "ventricular fibrillation models";
inline constexpr const char* kRunFailedMessage = "Error executing program. Error code: ";

// The book's file for a chapter numeral ("IX" -> "VF9.HTM"); a numeral not
// in the table is used as the file name.
QString ChapterFile(const QString& numeral);
// The file and anchor a chapter caption points at:
// "chapter XII § 3.2" -> "V12.HTM#p3.2".
QString ChapterTarget(const QString& caption);

class Launcher : public QWidget {
    Q_OBJECT
public:
    // Opens a model window with a title and kind (the model window's
    // OpenAndShow in the program).
    using ModelOpener = std::function<void(const QString& title, ModelKind kind)>;

    // Reads the parameter file ("Myogrid.par" in the working directory
    // unless another is named), asking for the browser and the book when
    // their files are missing, and starts the title animation. `starter`
    // (not owned) starts external programs; by default the system's.
    explicit Launcher(ProcessStarter* starter = nullptr, QWidget* parent = nullptr,
                      std::string parameterFile = kParameterFileName);
    ~Launcher() override;

    ParameterTable& Table() { return table_; }
    void SetIllusionWindow(IllusionWindow* illusion);
    void SetModelOpener(ModelOpener opener) { modelOpener_ = std::move(opener); }

    // Starts `program` with `arguments` and returns at once: 0, or the
    // system's error number when it could not be started.
    int RunProgram(const QString& program, const QStringList& arguments);
    // Opens the book's chapter named by a chapter button's caption in the
    // browser; does nothing without a browser or a book folder.
    void OpenBookChapter(const QString& caption);
    // Offers to save the table when it changed, proposing the file read at
    // start; throws AppError when the file cannot be written.
    void SaveParameterFile();
    const std::string& ParameterFile() const { return parameterFile_; }

    TitleAnimation& Animation() { return animation_; }
    // One tick of the title animation's timer.
    void AnimationTick();

    QTabWidget* tabs;
    QLabel* workingFolder;  // the folder the program works in, in small type
    QTabWidget* levelTabs;
    QTabWidget* levelOneTabs;
    common::ui::PlotView* titlePicture;
    QTimer* animationTimer;
    QPushButton* readBookButton;
    QPushButton* exitButton;
    QPushButton* illusionChapterButton;
    QPushButton* illusionModelButton;
    QPushButton* cellChapterButton;
    QPushButton* blockChapterButton;
    QPushButton* levelOneChapterButton;
    QPushButton* fractalChapterButton;
    QPushButton* levelTwoChapterButton;
    QPushButton* relaxationChapterButton;
    QPushButton* ventricleChapterButton;
    QPushButton* blockModelButton;
    QPushButton* oneOscillatorButton;
    QPushButton* fractalButton;
    QPushButton* coupledOscillatorsButton;
    QPushButton* independentOscillatorsButton;

signals:
    // The launcher closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    QPushButton* ChapterButton(QWidget* page, const char* name, const QString& caption);
    QPushButton* CommandButton(QWidget* page, const char* name, const QString& caption);
    void RunOrReport(const QString& program, const QStringList& arguments);
    void OpenModel(const QString& title, ModelKind kind);
    void IllusionModelClicked();
    void ReadBookClicked();
    void ExitClicked();
    // Opens a page of the book with the chosen browser, or with the
    // desktop's when none was chosen.
    void OpenPage(const QString& page);

    std::string parameterFile_;
    ParameterTable table_;
    TitleAnimation animation_;
    std::unique_ptr<ProcessStarter> ownStarter_;
    ProcessStarter* starter_;
    IllusionWindow* illusion_ = nullptr;
    ModelOpener modelOpener_;
    bool leaving_ = false;  // "exit" has already offered to save
};

}  // namespace myogrid
