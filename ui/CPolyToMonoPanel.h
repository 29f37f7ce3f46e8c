#pragma once

#include "CPolyToMonoJob.h"
#include "CProgressWorker.h"

#include <QString>
#include <QWidget>

#include <atomic>

class CBwfFileList;
class CProgressWindow;
class CSourceFileList;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Poly to Mono" tab: the wave files of the chosen folder, the work list
// with the channels to write per file, the output folder and Convert, which
// runs the split behind the progress window.
class CPolyToMonoPanel : public QWidget, public CProgressWorker {
    Q_OBJECT
public:
    CPolyToMonoPanel(CProgressWindow* pProgress, QWidget* pParent = nullptr);

    // Keeps the folder and lists its .wav/.WAV files with their formats.
    void bwfFileListEnumItem(const QString& folder);
    // The split, on the progress window's worker thread.
    void progressWork() override;

    CBwfFileList* getBwfFileList() const { return m_listBwfFile; }
    CSourceFileList* getSourceFileList() const { return m_listSourceFile; }

public slots:
    void OnButtonSourceAdd();
    void OnButtonSourceAll();
    void OnButtonSourceRemove();
    void OnButtonSourceClear();
    void OnCheckSelectChannel();
    void OnButtonDestSel();
    void OnButtonConvert();
    // Shows a source row's channels in the check boxes.
    void tableViewShouldSelectRow(int row);

private:
    void AddRows(bool isSelectedOnly);
    void ResetChannels();

    std::atomic<bool> m_isCancel{false};
    QString m_strDirectoryPath;
    QPushButton* m_buttonConvert;
    CProgressWindow* m_dlgProgress;
    QLineEdit* m_editDestFolder;
    CBwfFileList* m_listBwfFile;
    CSourceFileList* m_listSourceFile;
    QButtonGroup* m_matrixSelChannel;
    QTableView* m_tableBwfFile;
    QTableView* m_tableSourceFile;
    // The inputs of the run, taken on the UI thread when Convert is pressed.
    CPolyToMonoJob m_job;
};
