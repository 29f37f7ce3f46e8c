#pragma once

#include <QString>
#include <QWidget>

class CBwfFileList;
class CChannelGrid;
class CJobRunner;
class CSourceFileList;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Poly to Mono" tab: the wave files of the chosen folder, the work list
// with the channels to write per file, the output folder and Convert, which
// runs the split (CPolyToMonoJob) through the job runner and then lists the
// folder again. The check boxes always show the selected row of the work
// list, however it came to be selected: its channels, ticked as the row will
// convert them; with no row selected there are none.
class CPolyToMonoPanel : public QWidget {
    Q_OBJECT
public:
    CPolyToMonoPanel(CJobRunner* pRunner, QWidget* pParent = nullptr);

    // Keeps the folder and lists its wave files with their formats
    // (CWaveScanner). Listing the same folder again keeps the files selected
    // that are still there.
    void bwfFileListEnumItem(const QString& folder);

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
    // Adds the selected wave files, or all, that are not listed yet.
    void AddRows(bool isSelectedOnly);
    // The boxes of the selected source row, or none.
    void ShowSelectedChannels();
    void SetChannelCount(int count);
    // Labels the boxes with the track names of the file at path.
    void ShowTrackNames(const QString& path, int count);
    void SetAllChannels(bool isChecked);

    QString m_strDirectoryPath;
    QPushButton* m_buttonConvert;
    CJobRunner* m_pJobRunner;
    QLineEdit* m_editDestFolder;
    CBwfFileList* m_listBwfFile;
    CSourceFileList* m_listSourceFile;
    QButtonGroup* m_matrixSelChannel;
    CChannelGrid* m_gridSelChannel;
    QPushButton* m_buttonChannelAll;
    QPushButton* m_buttonChannelNone;
    QTableView* m_tableBwfFile;
    QTableView* m_tableSourceFile;
    QLabel* m_textFolder;
};
