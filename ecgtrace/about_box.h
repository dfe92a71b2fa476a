#pragma once
// The about box: program icon, name, version and where to read the book.
#include <QDialog>

namespace ecgtrace {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace ecgtrace
