#pragma once

#include "CMonoToPolyJob.h"
#include "CProgressWorker.h"

#include <QString>
#include <QWidget>

#include <atomic>
#include <vector>

class CChannelGrid;
class CProgressWindow;
class CTargetFileList;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Mono to Poly" tab: the takes of the chosen folder, the channels of
// the selected take (one indicator per channel up to its highest, green when
// its mono file exists), the output folder, the convert mode and Convert,
// which runs the merge behind the progress window.
class CMonoToPolyPanel : public QWidget, public CProgressWorker {
    Q_OBJECT
public:
    CMonoToPolyPanel(CProgressWindow* pProgress, QWidget* pParent = nullptr);

    // Keeps the folder and lists its takes, each once, in listing order.
    void targetFileListEnumItem(const QString& folder);
    // The merge, on the progress window's worker thread.
    void progressWork() override;

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
    std::atomic<bool> m_isCancel{false};
    std::vector<int> m_arrayTargetFileChannel;
    QString m_strDirectoryPath;
    QPushButton* m_buttonConvert;
    CProgressWindow* m_dlgProgress;
    QLineEdit* m_editConvertFile;
    CChannelGrid* m_gridColorWellCh;
    QLineEdit* m_editDestFolder;
    CTargetFileList* m_listTargetFile;
    QButtonGroup* m_matrixConvertMode;
    QTableView* m_tableTargetFile;
    CMonoToPolyJob m_job;
};
