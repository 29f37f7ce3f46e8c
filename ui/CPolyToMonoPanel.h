#pragma once

#include "CPolyToMonoJob.h"
#include "CProgressWorker.h"

#include <QString>
#include <QWidget>

#include <atomic>

class CBwfFileList;
class CChannelGrid;
class CProgressWindow;
class CSourceFileList;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Poly to Mono" tab: the wave files of the chosen folder, the work list
// with the channels to write per file (one check box per channel of the
// selected row), the output folder and Convert, which runs the split behind
// the progress window, reading each source once for all its channels.
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
    // The check boxes of the shown row's channels, channel 1 first.
    CChannelGrid* getChannelGrid() const { return m_gridSelChannel; }

public slots:
    void OnButtonSourceAdd();
    void OnButtonSourceAll();
    void OnButtonSourceRemove();
    void OnButtonSourceClear();
    void OnCheckSelectChannel();
    // Tick or untick every channel of the selected row.
    void OnButtonChannelAll();
    void OnButtonChannelNone();
    void OnButtonDestSel();
    void OnButtonConvert();
    // Shows a source row's channels in the check boxes.
    void tableViewShouldSelectRow(int row);

private:
    void AddRows(bool isSelectedOnly);
    // Unticks and disables the boxes; keeps as many as the selected row has
    // channels, none when no row is selected.
    void ResetChannels();
    void SetChannelCount(int count);
    void SetAllChannels(bool isChecked);

    std::atomic<bool> m_isCancel{false};
    QString m_strDirectoryPath;
    QPushButton* m_buttonConvert;
    CProgressWindow* m_dlgProgress;
    QLineEdit* m_editDestFolder;
    CBwfFileList* m_listBwfFile;
    CSourceFileList* m_listSourceFile;
    QButtonGroup* m_matrixSelChannel;
    CChannelGrid* m_gridSelChannel;
    QPushButton* m_buttonChannelAll;
    QPushButton* m_buttonChannelNone;
    QTableView* m_tableBwfFile;
    QTableView* m_tableSourceFile;
    // The inputs of the run, taken on the UI thread when Convert is pressed.
    CPolyToMonoJob m_job;
};
