#pragma once

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class CChannelGrid;
class CElidedLabel;
class CJobRunner;
class CTargetFileList;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Mono to Poly" tab: the takes of the chosen folder, the channels of
// the selected take (one indicator per channel up to its highest, green when
// its mono file exists), the output folder, the convert mode and Convert,
// which runs the merge (CMonoToPolyJob) through the job runner and then
// lists the folder again. A folder dropped on the tab, or the folder of a
// dropped file, is handed on by FolderDropped; the dropped file's take is
// then selected if listed.
class CMonoToPolyPanel : public QWidget {
    Q_OBJECT
public:
    CMonoToPolyPanel(CJobRunner* pRunner, QWidget* pParent = nullptr);

    // Keeps the folder and lists its takes, each once, in listing order.
    // Listing the same folder again updates the rows in place: the takes
    // still there keep their rows, the selected one stays selected and its
    // channels are read again. True when a take came or went.
    bool targetFileListEnumItem(const QString& folder);

    const QString& getDirectoryPath() const { return m_strDirectoryPath; }
    QString getOutputFolder() const;
    void setOutputFolder(const QString& folder);
    // True while a take is selected.
    bool canConvert() const;
    QTableView* getTargetFileTable() const { return m_tableTargetFile; }
    CTargetFileList* getTargetFileList() const { return m_listTargetFile; }
    // The channels of the selected take whose mono files exist, rising.
    const std::vector<int>& getTargetFileChannelData() const { return m_arrayTargetFileChannel; }
    // True when channel n's indicator shows green.
    bool isChannelShown(int n) const;
    CChannelGrid* getChannelGrid() const { return m_gridColorWellCh; }

signals:
    // What canConvert answers may have changed.
    void StateChanged();
    void FolderDropped(const QString& folder);

public slots:
    void tableViewSelectionDidChange();
    // The folder chooser, at the output folder, else at the listed folder.
    void OnButtonDestSel();
    void OnButtonConvert();

protected:
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    // "Channel n: TAKE_n.wav, its track name (function)".
    QString ChannelTip(const std::string& take, int n) const;

    std::vector<int> m_arrayTargetFileChannel;
    QString m_strDirectoryPath;
    QPushButton* m_buttonConvert;
    CJobRunner* m_pJobRunner;
    QLineEdit* m_editConvertFile;
    CChannelGrid* m_gridColorWellCh;
    QLineEdit* m_editDestFolder;
    CTargetFileList* m_listTargetFile;
    QButtonGroup* m_matrixConvertMode;
    QTableView* m_tableTargetFile;
    CElidedLabel* m_textFolder;
};
