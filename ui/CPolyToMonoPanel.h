#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class CBwfFileList;
class CChannelGrid;
class CElidedLabel;
class CJobRunner;
class CSourceFileList;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Poly to Mono" tab: the wave files of the chosen folder, the work list
// with the channels to write per file, the output folder and Convert, which
// runs the split (CPolyToMonoJob) through the job runner and then lists the
// folder again. The check boxes always show the selected row of the work
// list, however it came to be selected: its channels, ticked as the row will
// convert them; with no row selected there are none. Wave files and folders
// dropped on the tab join the work list. Buttons are enabled only when they
// can act, as the can... questions say.
class CPolyToMonoPanel : public QWidget {
    Q_OBJECT
public:
    CPolyToMonoPanel(CJobRunner* pRunner, QWidget* pParent = nullptr);

    // Keeps the folder and lists its wave files with their formats
    // (CWaveScanner). Listing the same folder again updates the rows in
    // place: the files still there keep their rows, their selection and the
    // sort; new files are added, gone ones removed. True when a row came,
    // went or changed.
    bool bwfFileListEnumItem(const QString& folder);
    // Adds to the work list the wave files at paths, those not listed yet,
    // in the order given: a folder's wave files in the folder's order, or a
    // file named as a wave file that is a regular file (nothing else is
    // opened). The number of rows added.
    int AddPaths(const QStringList& paths);

    const QString& getDirectoryPath() const { return m_strDirectoryPath; }
    QString getOutputFolder() const;
    void setOutputFolder(const QString& folder);
    bool canAdd() const;
    bool canAddAll() const;
    bool canRemove() const;
    bool canClear() const;
    bool canConvert() const;

    CBwfFileList* getBwfFileList() const { return m_listBwfFile; }
    CSourceFileList* getSourceFileList() const { return m_listSourceFile; }
    QTableView* getBwfFileTable() const { return m_tableBwfFile; }
    QTableView* getSourceFileTable() const { return m_tableSourceFile; }
    // The check boxes of the shown row's channels, channel 1 first.
    CChannelGrid* getChannelGrid() const { return m_gridSelChannel; }

signals:
    // What the can... questions answer may have changed.
    void StateChanged();

public slots:
    void OnButtonSourceAdd();
    void OnButtonSourceAll();
    void OnButtonSourceRemove();
    void OnButtonSourceClear();
    void OnCheckSelectChannel();
    // Tick or untick every channel of the selected row.
    void OnButtonChannelAll();
    void OnButtonChannelNone();
    // The folder chooser, at the output folder, else at the listed folder.
    void OnButtonDestSel();
    void OnButtonConvert();
    // Shows a source row's channels in the check boxes.
    void tableViewShouldSelectRow(int row);

protected:
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    // Adds the selected wave files, or all, that are not listed yet.
    void AddRows(bool isSelectedOnly);
    // The boxes of the selected source row, or none.
    void ShowSelectedChannels();
    void SetChannelCount(int count);
    // Labels the boxes with the track names of the file at path.
    void ShowTrackNames(const QString& path, int count);
    void SetAllChannels(bool isChecked);
    void UpdateState();

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
    QPushButton* m_buttonSourceAdd;
    QPushButton* m_buttonSourceAll;
    QPushButton* m_buttonSourceRemove;
    QPushButton* m_buttonSourceClear;
    QTableView* m_tableBwfFile;
    QTableView* m_tableSourceFile;
    CElidedLabel* m_textFolder;
};
