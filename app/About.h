#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The about box: program icon, name and version, the project's addresses.
class TAboutBox final : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAboutBox)

    QLabel *ProgramIcon = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Comments = nullptr;
    QFrame *Bevel1 = nullptr;
    QLineEdit *HomePage = nullptr;
    QLineEdit *EMail = nullptr;
    QPushButton *OKButton = nullptr;
    QFrame *Panel1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};
