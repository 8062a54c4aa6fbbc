#pragma once
// COptionsFormDlgSound: the options page "Sound effects": the switch of all
// sounds, the list of the four events with their sound files, and an edit
// with "Browse" (a file dialog for WAV files) and a play button for the
// selected event's file. A file name typed into the edit is stored when
// another event is selected, when the edit loses the focus, and on Commit.
//
// User-interface thread only.

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <memory>

#include "platform/sound/pl_sound_player.h"
#include "ui/options/pl_options_page.h"

class COptionsFormDlgSound : public PlOptionsPage {
public:
    COptionsFormDlgSound(PlOptionsPageContext& context, QWidget* parent);
    ~COptionsFormDlgSound() override;

    void Commit() override;

    // For tests.
    QTreeWidget& List() { return *list_; }
    QLineEdit& FileEdit() { return *file_; }
    // Stores `path` for the selected event, as the file dialog does.
    void ChooseFile(const QString& path);

private:
    void OnSelection(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void StoreEdit(QTreeWidgetItem* row);
    void Browse();
    void Play();

    QTreeWidget* list_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
    std::unique_ptr<pl::PlSoundPlayer> player_;  // made on the first play
};
