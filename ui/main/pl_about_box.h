#pragma once
// PlFormAboutBox: the about window: the program's name, what it is and its
// version. It deletes itself when closed.

#include <QDialog>

class PlFormAboutBox : public QDialog {
public:
    PlFormAboutBox();
};
