#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>

#include "app/PracticeAid.h"
#include "engine/RhythmEngine.h"
#include "framework/BitmapButton.h"
#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "framework/SliderCtrl.h"

class TapAlongWindow;

// The main window: pattern and tone radio buttons, the tempo slider and its label, START
// and STOP (and the space bar), Bye and About.. ; the practice aids and the tap-along window
// in the window menu. Every action becomes a call on the rhythm engine, which the dialog owns.
class CMainDlg : public CDialog {
 public:
  explicit CMainDlg(CWnd* pParent = nullptr);
  // With START playing the loop `playLoops` times rather than the engine's usual count.
  explicit CMainDlg(std::uint32_t playLoops, CWnd* pParent = nullptr);
  ~CMainDlg() override;

  bool PreTranslateMessage(MSG* pMsg) override;
  // The engine, while the dialog has one (from initialisation until Bye).
  CRhythmEngine* Engine() const { return m_engine.get(); }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnInitDialog() override;
  void OnCancel() override;
  MessageMap GetMessageMap() const override;

 private:
  void OnSysCommand(unsigned nID, long lParam);
  void OnPaint();
  QIcon OnQueryDragIcon();
  void OnSliderCustomDraw(NMHDR* pNMHDR, long* pResult);
  void OnStart();
  void OnStop();
  void OnPattern23();
  void OnPattern32();
  void OnPattern68();
  void OnToneHandClap();
  void OnToneClaves();
  void OnBye();
  void OnToneCowbell();
  void OnAbout();
  void UpdateButtons();
  void OnOutputStopped();
  void AppendPracticeAids(CMenu& menu);
  void OnPracticeAid(const PracticeAid& aid);
  void OnTapAlong();
  void CloseTapAlong();

  CBitmapButton m_start;
  CBitmapButton m_stop;
  CSliderCtrl m_slider;
  QIcon m_hIcon;
  std::int32_t m_lastPos;  // starts where no slider position is, so the first paint counts
  std::int32_t m_tempo = 0;
  std::uint32_t m_playLoops = CRhythmEngine::kPlayLoops;
  // Where the output's news of stopping by itself is delivered, on this thread. It outlives
  // the engine, whose end silences the news.
  QObject m_outputNews;
  std::unique_ptr<CRhythmEngine> m_engine;
  // Made when first opened, and destroyed by Qt with the dialog's window; told to let go of
  // the engine before it goes.
  QPointer<TapAlongWindow> m_tapAlong;
};
