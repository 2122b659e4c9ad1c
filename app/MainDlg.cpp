#include "app/MainDlg.h"

#include <QPainter>
#include <limits>

#include "app/AboutDlg.h"
#include "app/TapAlongWindow.h"
#include "framework/DataExchange.h"
#include "framework/Menu.h"
#include "framework/ResourceLoader.h"
#include "framework/WinApp.h"
#include "res/ResourceIds.h"

namespace {

// The tempo a slider position stands for: 100 + 2 x position over the default range.
int TempoAt(int position, int min, int max) {
  return max == min ? 100 : position * 200 / (max - min) + 100;
}

const PracticeAid& BeatAid() {
  return *std::find_if(kPracticeAids.begin(), kPracticeAids.end(),
                       [](const PracticeAid& aid) { return aid.kind == PracticeAid::Kind::kBeat; });
}

}  // namespace

CMainDlg::CMainDlg(CWnd* pParent)
    : CDialog(IDD_TOCOLO_DIALOG, pParent),
      m_hIcon(LoadIconResource(IDR_MAINFRAME)),
      m_lastPos(std::numeric_limits<std::int32_t>::min()) {}

CMainDlg::CMainDlg(std::uint32_t playLoops, CWnd* pParent) : CMainDlg(pParent) {
  m_playLoops = playLoops;
}

CMainDlg::~CMainDlg() {
  // The engine goes before the dialog's window, and the tap-along window with it.
  if (m_tapAlong) m_tapAlong->Detach();
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_START, m_start);
  DDX_Control(pDX, IDC_STOP, m_stop);
  DDX_Control(pDX, IDC_SLIDER, m_slider);
}

MessageMap CMainDlg::GetMessageMap() const {
  static const MessageMapEntry kMap[] = {
      OnSysCommandEntry(&CMainDlg::OnSysCommand),
      OnPaintEntry(&CMainDlg::OnPaint),
      OnQueryDragIconEntry(&CMainDlg::OnQueryDragIcon),
      OnNotifyEntry(NM_CUSTOMDRAW, IDC_SLIDER, &CMainDlg::OnSliderCustomDraw),
      OnClickedEntry(IDC_START, &CMainDlg::OnStart),
      OnClickedEntry(IDC_STOP, &CMainDlg::OnStop),
      OnClickedEntry(IDC_PATTERN23, &CMainDlg::OnPattern23),
      OnClickedEntry(IDC_PATTERN32, &CMainDlg::OnPattern32),
      OnClickedEntry(IDC_PATTERN68, &CMainDlg::OnPattern68),
      OnClickedEntry(IDC_HANDCLAP, &CMainDlg::OnToneHandClap),
      OnClickedEntry(IDC_CLAVES, &CMainDlg::OnToneClaves),
      OnClickedEntry(IDOK, &CMainDlg::OnBye),
      OnClickedEntry(IDC_COWBELL, &CMainDlg::OnToneCowbell),
      OnClickedEntry(IDC_ABOUT, &CMainDlg::OnAbout),
  };
  return kMap;
}

bool CMainDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  if (CMenu* pSysMenu = GetSystemMenu(false)) {
    AppendPracticeAids(*pSysMenu);
    pSysMenu->AppendMenu(MF_SEPARATOR);
    pSysMenu->AppendMenu(MF_STRING, IDM_TAPALONG, QStringLiteral("&Tap along..."));
    const QString strAboutMenu = LoadStringResource(IDS_ABOUTBOX);
    if (!strAboutMenu.isEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }
  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);

  m_start.LoadBitmaps(IDB_START_NORMAL, IDB_START_SELECTED, IDB_START_FOCUSED, IDB_START_DISABLED);
  m_stop.LoadBitmaps(IDB_STOP_NORMAL, IDB_STOP_SELECTED, IDB_STOP_FOCUSED, IDB_STOP_DISABLED);

  m_engine = std::make_unique<CRhythmEngine>(m_playLoops);
  // After its last repetition, or when the sound server goes, the output falls silent by
  // itself and says so from its own thread; the window then shows stopped.
  m_engine->SetStoppedListener([this] {
    QMetaObject::invokeMethod(
        &m_outputNews, [this] { OnOutputStopped(); }, Qt::QueuedConnection);
  });

  CheckDlgButton(IDC_PATTERN23, true);
  CheckDlgButton(IDC_CLAVES, true);
  m_slider.SetPos(50);  // the range stays the control's default, 0 to 100
  m_slider.DescribeForAccessibility(QStringLiteral("Tempo"), &TempoAt);
  UpdateButtons();
  return true;  // the dialog manager chooses the first focus
}

// Before the separator and About item that come last: both aids off, as at every start.
void CMainDlg::AppendPracticeAids(CMenu& menu) {
  const PracticeAid* previous = nullptr;
  for (const PracticeAid& aid : kPracticeAids) {
    if (previous == nullptr || previous->kind != aid.kind) menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, aid.command, QString::fromUtf8(aid.text));
    previous = &aid;
  }
  for (const PracticeAid& aid : kPracticeAids) {
    if (aid.kind == PracticeAid::Kind::kBeat) menu.CheckMenuItem(aid.command, MF_UNCHECKED);
    if (aid.kind == PracticeAid::Kind::kSilentLoops && aid.silentCycle == 0)
      menu.CheckMenuRadioItem(kFirstSilentLoops, kLastSilentLoops, aid.command);
  }
}

void CMainDlg::OnSysCommand(unsigned nID, long lParam) {
  const unsigned command = nID & 0xFFF0;
  if (command == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else if (command == IDM_TAPALONG) {
    OnTapAlong();
  } else if (const PracticeAid* aid = FindPracticeAid(command)) {
    OnPracticeAid(*aid);
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

// Like any other setting, a change while playing restarts the loop from its first sample.
void CMainDlg::OnPracticeAid(const PracticeAid& aid) {
  if (!m_engine) return;
  CMenu* menu = GetSystemMenu(false);
  switch (aid.kind) {
    case PracticeAid::Kind::kBeat:
      m_engine->SetBeat(!m_engine->Beat());
      menu->CheckMenuItem(aid.command, m_engine->Beat() ? MF_CHECKED : MF_UNCHECKED);
      break;
    case PracticeAid::Kind::kSilentLoops:
      m_engine->SetSilentCycle(aid.silentCycle);
      menu->CheckMenuRadioItem(kFirstSilentLoops, kLastSilentLoops, aid.command);
      break;
  }
}

void CMainDlg::OnTapAlong() {
  if (!m_engine) return;
  if (!m_tapAlong) {
    TapAlongHost host{
        [this] { return m_engine.get(); },
        [this] { m_engine && m_engine->IsPlaying() ? OnStop() : OnStart(); },
        [this](bool on) {
          if (m_engine && m_engine->Beat() != on) OnPracticeAid(BeatAid());
        },
    };
    m_tapAlong = new TapAlongWindow(std::move(host), GetSafeHwnd());
  }
  m_tapAlong->Open();
}

void CMainDlg::CloseTapAlong() {
  if (m_tapAlong) m_tapAlong->close();
}

void CMainDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  QWidget* window = GetSafeHwnd();
  QPainter dc(window);
  dc.fillRect(window->rect(), window->palette().window());
  const int x = (window->width() - kIconMetric + 1) / 2;
  const int y = (window->height() - kIconMetric + 1) / 2;
  dc.drawPixmap(x, y, m_hIcon.pixmap(kIconMetric, kIconMetric));
}

// Never called here: the desktop draws a minimised window's icon itself and never asks a
// window for one to drag.
QIcon CMainDlg::OnQueryDragIcon() {
  return m_hIcon;
}

void CMainDlg::OnSliderCustomDraw(NMHDR* /*pNMHDR*/, long* pResult) {
  const int pos = m_slider.GetPos();
  if (pos == m_lastPos) return;
  m_lastPos = pos;
  int min = 0;
  int max = 0;
  m_slider.GetRange(min, max);
  if (max == min) return;
  m_tempo = TempoAt(m_slider.GetPos(), min, max);
  SetDlgItemText(IDC_TEMPO, QString::asprintf(" ♪ = %d", m_tempo));
  if (m_engine) m_engine->SetTempo(static_cast<std::uint32_t>(m_tempo));
  *pResult = CDRF_DODEFAULT;
}

void CMainDlg::UpdateButtons() {
  const bool playing = m_engine && m_engine->IsPlaying();
  m_start.EnableWindow(!playing);
  m_stop.EnableWindow(playing);
  if (playing) {
    m_stop.SetFocus();
  } else {
    m_start.SetFocus();
  }
  if (m_tapAlong) m_tapAlong->LoopStateChanged();
}

// The window still shows playing, but the output has stopped: it now shows stopped, as after
// STOP. News that comes after a stop or a new start changes nothing.
void CMainDlg::OnOutputStopped() {
  const QWidget* stop = m_stop.GetSafeHwnd();
  if (stop != nullptr && stop->isEnabled() && !(m_engine && m_engine->IsPlaying())) UpdateButtons();
}

void CMainDlg::OnStart() {
  if (m_engine) m_engine->Play();
  UpdateButtons();
}

void CMainDlg::OnStop() {
  if (m_engine) m_engine->Stop();
  UpdateButtons();
}

void CMainDlg::OnPattern23() {
  if (m_engine) m_engine->SetPattern(CRhythmEngine::kPatternTwoThree);
}

void CMainDlg::OnPattern32() {
  if (m_engine) m_engine->SetPattern(CRhythmEngine::kPatternRumba);
}

void CMainDlg::OnPattern68() {
  if (m_engine) m_engine->SetPattern(CRhythmEngine::kPatternSixEight);
}

void CMainDlg::OnToneHandClap() {
  if (m_engine) m_engine->SetTone(CRhythmEngine::kToneHandClap);
}

void CMainDlg::OnToneClaves() {
  if (m_engine) m_engine->SetTone(CRhythmEngine::kToneClaves);
}

void CMainDlg::OnToneCowbell() {
  if (m_engine) m_engine->SetTone(CRhythmEngine::kToneCowbell);
}

void CMainDlg::OnBye() {
  CloseTapAlong();
  if (m_tapAlong) m_tapAlong->Detach();
  m_engine.reset();
  CDialog::OnOK();
}

// The close box, Alt+F4 and the window menu's Close.
void CMainDlg::OnCancel() {
  CloseTapAlong();
  CDialog::OnCancel();
}

void CMainDlg::OnAbout() {
  CAboutDlg dlgAbout;
  dlgAbout.DoModal();
}

bool CMainDlg::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_KEYDOWN) {
    switch (pMsg->key) {
      case VK_RETURN:
      case VK_ESCAPE:
        return true;
      case VK_SPACE:
        if (m_engine && m_engine->IsPlaying()) {
          OnStop();
        } else {
          OnStart();
        }
        return true;
      default:
        break;
    }
  }
  if (pMsg->message == WM_SYSKEYDOWN && pMsg->key == VK_F4) return true;
  return CDialog::PreTranslateMessage(pMsg);
}
