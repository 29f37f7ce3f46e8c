#pragma once

#include "CMonoToPolyJob.h"
#include "CProgressWorker.h"

#include <QString>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <vector>

class CProgressWindow;
class CTargetFileList;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The "Mono to Poly" tab: the takes of the chosen folder, the channels found
// for the selected take, the output folder, the convert mode and Convert,
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
    uint16_t getTargetFileChannelData() const { return m_targetFileChannelData; }
    // True when channel n's indicator shows green.
    bool isChannelShown(int n) const;

public slots:
    void tableViewSelectionDidChange();
    void OnButtonDestSel();
    void OnButtonConvert();

private:
    std::atomic<bool> m_isCancel{false};
    uint16_t m_targetFileChannelData = 0;
    QString m_strDirectoryPath;
    std::vector<QLabel*> m_arrayColorWellCh;
    QPushButton* m_buttonConvert;
    CProgressWindow* m_dlgProgress;
    QLineEdit* m_editConvertFile;
    QLineEdit* m_editDestFolder;
    CTargetFileList* m_listTargetFile;
    QButtonGroup* m_matrixConvertMode;
    QTableView* m_tableTargetFile;
    CMonoToPolyJob m_job;
};
