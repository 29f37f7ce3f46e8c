#pragma once

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class CChannelGrid;
class CJobRunner;
class CTargetFileList;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Mono to Poly" tab: the takes of the chosen folder, the channels of
// the selected take (one indicator per channel up to its highest, green when
// its mono file exists), the output folder, the convert mode and Convert,
// which runs the merge (CMonoToPolyJob) through the job runner and then
// lists the folder again.
class CMonoToPolyPanel : public QWidget {
    Q_OBJECT
public:
    CMonoToPolyPanel(CJobRunner* pRunner, QWidget* pParent = nullptr);

    // Keeps the folder and lists its takes, each once, in listing order.
    // Listing the same folder again keeps the selected take selected while
    // it is still there.
    void targetFileListEnumItem(const QString& folder);

    CTargetFileList* getTargetFileList() const { return m_listTargetFile; }
    // The channels of the selected take whose mono files exist, rising.
    const std::vector<int>& getTargetFileChannelData() const { return m_arrayTargetFileChannel; }
    // True when channel n's indicator shows green.
    bool isChannelShown(int n) const;
    CChannelGrid* getChannelGrid() const { return m_gridColorWellCh; }

public slots:
    void tableViewSelectionDidChange();
    void OnButtonDestSel();
    void OnButtonConvert();

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
    QLabel* m_textFolder;
};
