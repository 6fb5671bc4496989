#include "tovSessionDialogView.h"

#include "Canvas.h"
#include "WindowMessage.h"
#include "qrxTextEditor.h"
#include "tovSessionDialog.h"

namespace
{

using plat::Rect;

const plat::ColorRef kFace = plat::MakeColorRef(192, 192, 192);
const plat::ColorRef kLight = plat::MakeColorRef(255, 255, 255);
const plat::ColorRef kShadow = plat::MakeColorRef(128, 128, 128);
const plat::ColorRef kDark = plat::MakeColorRef(8, 8, 8);
const plat::ColorRef kWell = plat::MakeColorRef(255, 255, 255);
const plat::ColorRef kTitle = plat::MakeColorRef(0, 0, 128);
const plat::ColorRef kSelection = plat::MakeColorRef(0, 0, 128);
const plat::ColorRef kGrey = plat::MakeColorRef(128, 128, 128);

constexpr int32_t kRowHeight = 14;
constexpr int32_t kFieldInset = 3;

bool Inside(const Rect& r, int32_t x, int32_t y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Canvas coordinates are the dialog's, title bar included.
Rect Local(const Rect& r)
{
    const int32_t dx = tovSessionDialogView::kLeft;
    const int32_t dy = tovSessionDialogView::kTop - tovSessionDialogView::kTitleHeight;
    return {r.left - dx, r.top - dy, r.right - dx, r.bottom - dy};
}

const Rect kConnections = tovSessionDialogView::Place(6, 13, 229, 12);
const Rect kPlayerName = tovSessionDialogView::Place(6, 44, 160, 14);
const Rect kSessionName = tovSessionDialogView::Place(14, 88, 160, 14);
const Rect kCreate = tovSessionDialogView::Place(180, 75, 50, 14);
const Rect kSessions = tovSessionDialogView::Place(14, 139, 161, 50);
const Rect kAddress = tovSessionDialogView::Place(50, 194, 125, 14);
const Rect kJoin = tovSessionDialogView::Place(180, 140, 50, 14);
const Rect kPlayers = tovSessionDialogView::Place(180, 192, 50, 14);
const Rect kExit = tovSessionDialogView::Place(185, 220, 50, 14);
// The box over the dialog and its buttons: OK (or Yes, or Close) and No.
const Rect kBox = tovSessionDialogView::Place(20, 70, 207, 100);
const Rect kBoxYes = tovSessionDialogView::Place(60, 150, 50, 14);
const Rect kBoxNo = tovSessionDialogView::Place(137, 150, 50, 14);

const Rect kFieldRects[] = {kPlayerName, kSessionName, kAddress};

} // namespace

Rect tovSessionDialogView::Place(int32_t x, int32_t y, int32_t w, int32_t h)
{
    const int32_t left = kLeft + x * 3 / 2;
    const int32_t top = kTop + y * 13 / 8;
    return {left, top, left + w * 3 / 2, top + h * 13 / 8};
}

tovSessionDialogView::tovSessionDialogView(tovSessionDialog& dialog)
    : m_dialog(dialog), m_font(plat::Font::Create("Verdana", 13, 400))
{
    for (int32_t k = 0; k < kFieldCount; ++k)
    {
        const Rect& r = kFieldRects[k];
        auto field = std::make_unique<qrxTextEditor>(m_font.get(), kDark, r.left + kFieldInset, r.top + kFieldInset);
        m_fields[static_cast<size_t>(k)] = std::move(field);
    }
    m_fields[kPlayerField]->m_maxLength = static_cast<int32_t>(tovSessionDialog::kMaxPlayerName);
    m_fields[kSessionField]->m_maxLength = static_cast<int32_t>(tovSessionDialog::kMaxSessionName);
    m_fields[kAddressField]->m_maxLength = static_cast<int32_t>(tovSessionDialog::kMaxAddress);
    m_fields[kAddressField]->m_typeable = &tovSessionDialog::IsAddressCharacter;
    m_fields[kPlayerField]->SetText(dialog.GetPlayerName().c_str());
    m_synced[kPlayerField] = dialog.GetPlayerName();
    Focus(kPlayerField);
}

tovSessionDialogView::~tovSessionDialogView() = default;

void tovSessionDialogView::Focus(int32_t field)
{
    m_fields[static_cast<size_t>(field)]->SetFocus();
}

void tovSessionDialogView::SyncFields()
{
    for (int32_t k = 0; k < kFieldCount; ++k)
    {
        const std::string& text = m_fields[static_cast<size_t>(k)]->GetText();
        if (text == m_synced[static_cast<size_t>(k)])
            continue;
        m_synced[static_cast<size_t>(k)] = text;
        if (k == kPlayerField)
        {
            m_dialog.SetPlayerName(text);
            // An edited long name is cut to what a typed one may be: the field shows it so.
            if (m_dialog.GetPlayerName() != text)
            {
                m_fields[static_cast<size_t>(k)]->SetText(m_dialog.GetPlayerName().c_str());
                m_synced[static_cast<size_t>(k)] = m_dialog.GetPlayerName();
            }
        }
        else if (k == kSessionField)
            m_dialog.SetSessionName(text);
        else
            m_dialog.SetAddress(text);
    }
}

void tovSessionDialogView::Draw()
{
    SyncFields();
    plat::Canvas* canvas = BeginDraw(kWidth, kHeight + kTitleHeight);
    if (!canvas)
        return;
    DrawBody(*canvas);
    const bool box = m_dialog.GetBox() != tovSessionDialog::Box::kNone;
    if (box)
        DrawBox(*canvas);
    FinishDraw(kWidth, kHeight + kTitleHeight, kLeft, kTop - kTitleHeight);
    // The fields draw themselves over their wells; a box hides them.
    if (!box && !m_listOpen)
        for (auto& field : m_fields)
            field->Draw();
}

void tovSessionDialogView::DrawButton(plat::Canvas& canvas, const Rect& rect, const char* text, bool enabled)
{
    const Rect r = Local(rect);
    canvas.Fill(r, kDark);
    canvas.Fill({r.left, r.top, r.right - 1, r.bottom - 1}, kLight);
    canvas.Fill({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kShadow);
    canvas.Fill({r.left + 1, r.top + 1, r.right - 2, r.bottom - 2}, kFace);
    canvas.TextInBox({r.left, r.top + 3, r.right, r.bottom}, text, *m_font, enabled ? kDark : kGrey);
}

void tovSessionDialogView::DrawBody(plat::Canvas& canvas)
{
    canvas.Fill({0, 0, kWidth, kHeight + kTitleHeight}, kFace);
    canvas.Fill({0, 0, kWidth, kTitleHeight}, kTitle);
    canvas.Text(6, 3, "Game Session Manager", *m_font, kLight, kTitle);
    const plat::Pen groove{kShadow, 1};
    canvas.Rectangle(Local(Place(5, 62, 230, 51)), groove, false, kFace);
    canvas.Rectangle(Local(Place(6, 120, 230, 95)), groove, false, kFace);
    struct Label
    {
        int32_t x, y;
        const char* text;
    };
    const Label labels[] = {{6, 3, "Connections"},     {6, 32, "Player Name:"},     {10, 59, "Create a Session"},
                            {14, 76, "Session Name:"}, {10, 117, "Join a Session"}, {14, 129, "Sessions"},
                            {14, 197, "Address:"}};
    for (const Label& l : labels)
    {
        const Rect r = Local(Place(l.x, l.y, 0, 0));
        canvas.Text(r.left, r.top, l.text, *m_font, kDark, kFace);
    }
    for (const Rect& field : kFieldRects)
        canvas.Fill(Local(field), kWell);
    // Under a box or the open drop-down the fields do not draw themselves: their texts stay in
    // their wells here, where the box leaves them uncovered.
    if (m_dialog.GetBox() != tovSessionDialog::Box::kNone || m_listOpen)
        for (size_t k = 0; k < m_fields.size(); ++k)
        {
            const Rect r = Local(kFieldRects[k]);
            canvas.Text(r.left + kFieldInset, r.top + kFieldInset, m_fields[k]->GetText(), *m_font, kDark, kWell);
        }
    const Rect ip = Local(Place(7, 216, 169, 18));
    canvas.TextInBox(ip, m_dialog.GetIpLabel(), *m_font, kDark);
    DrawButton(canvas, kCreate, "Create", m_dialog.CanCreate());
    DrawButton(canvas, kJoin, "Join", m_dialog.CanJoin());
    DrawButton(canvas, kPlayers, "Players", m_dialog.CanListPlayers());
    DrawButton(canvas, kExit, "Exit", true);
    DrawList(canvas);
}

void tovSessionDialogView::DrawList(plat::Canvas& canvas)
{
    const Rect sessions = Local(kSessions);
    canvas.Fill(sessions, kWell);
    const auto& found = m_dialog.GetSessions();
    int32_t top = sessions.top + 1;
    for (size_t k = 0; k < found.size() && top + kRowHeight <= sessions.bottom; ++k, top += kRowHeight)
    {
        const bool chosen = static_cast<int32_t>(k) == m_dialog.GetSelectedSession();
        if (chosen)
            canvas.Fill({sessions.left + 1, top, sessions.right - 1, top + kRowHeight}, kSelection);
        canvas.Text(sessions.left + 3, top, found[k].name, *m_font, chosen ? kLight : kDark,
                    chosen ? kSelection : kWell);
    }
    // The connection drop-down: its choice, and its entries below it while open.
    const Rect head = Local(kConnections);
    canvas.Fill(head, kWell);
    const auto& names = m_dialog.GetConnections();
    canvas.Text(head.left + 3, head.top + 2, names[static_cast<size_t>(m_dialog.GetConnection())], *m_font, kDark,
                kWell);
    DrawButton(canvas, {kConnections.right - 18, kConnections.top, kConnections.right, kConnections.bottom}, "v", true);
    if (!m_listOpen)
        return;
    const Rect list{head.left, head.bottom, head.right,
                    head.bottom + static_cast<int32_t>(names.size()) * kRowHeight + 2};
    canvas.Rectangle(list, {kDark, 1}, true, kWell);
    for (size_t k = 0; k < names.size(); ++k)
        canvas.Text(list.left + 3, list.top + 1 + static_cast<int32_t>(k) * kRowHeight, names[k], *m_font, kDark,
                    kWell);
}

void tovSessionDialogView::DrawBox(plat::Canvas& canvas)
{
    const Rect box = Local(kBox);
    canvas.Rectangle(box, {kDark, 1}, true, kFace);
    canvas.Fill({box.left + 1, box.top + 1, box.right - 1, box.top + kTitleHeight}, kTitle);
    canvas.Text(box.left + 6, box.top + 3, m_dialog.GetBoxTitle(), *m_font, kLight, kTitle);
    const Rect text{box.left + 10, box.top + kTitleHeight + 10, box.right - 10, Local(kBoxYes).top - 4};
    using Box = tovSessionDialog::Box;
    if (m_dialog.GetBox() == Box::kPlayers)
    {
        std::string names;
        for (const std::string& name : m_dialog.GetPlayers())
            names += name + "\n";
        canvas.TextInBox(text, names, *m_font, kDark);
        DrawButton(canvas, kBoxYes, "Close", true);
        return;
    }
    canvas.TextInBox(text, m_dialog.GetBoxText(), *m_font, kDark);
    const bool question = m_dialog.GetBox() == Box::kExitQuestion;
    DrawButton(canvas, kBoxYes, question ? "Yes" : "OK", true);
    if (question)
        DrawButton(canvas, kBoxNo, "No", true);
}

bool tovSessionDialogView::OnBoxClick(int32_t x, int32_t y)
{
    if (Inside(kBoxYes, x, y))
        m_dialog.Answer(true);
    else if (Inside(kBoxNo, x, y) && m_dialog.GetBox() == tovSessionDialog::Box::kExitQuestion)
        m_dialog.Answer(false);
    return true;
}

void tovSessionDialogView::OnClick(int32_t x, int32_t y)
{
    SyncFields();
    if (m_dialog.GetBox() != tovSessionDialog::Box::kNone && OnBoxClick(x, y))
        return;
    if (m_listOpen)
    {
        m_listOpen = false;
        const int32_t row = (y - kConnections.bottom - 1) / kRowHeight;
        const auto count = static_cast<int32_t>(m_dialog.GetConnections().size());
        if (x >= kConnections.left && x < kConnections.right && y > kConnections.bottom && row < count)
            m_dialog.SelectConnection(row);
        return;
    }
    if (Inside(kConnections, x, y))
        m_listOpen = true;
    else if (Inside(kCreate, x, y))
        m_dialog.ClickCreate();
    else if (Inside(kJoin, x, y))
        m_dialog.ClickJoin();
    else if (Inside(kPlayers, x, y))
        m_dialog.ClickPlayers();
    else if (Inside(kExit, x, y))
        m_dialog.ClickExit();
    else if (Inside(kSessions, x, y))
    {
        const int32_t row = (y - kSessions.top - 1) / kRowHeight;
        if (row >= 0 && row < static_cast<int32_t>(m_dialog.GetSessions().size()))
        {
            m_fields[kAddressField]->SetText("");
            m_synced[kAddressField].clear();
            m_dialog.SelectSession(row);
        }
    }
    else
    {
        for (int32_t k = 0; k < kFieldCount; ++k)
            if (Inside(kFieldRects[k], x, y))
                Focus(k);
    }
}

void tovSessionDialogView::OnKey(uint32_t key)
{
    SyncFields();
    if (m_dialog.GetBox() != tovSessionDialog::Box::kNone)
    {
        if (key == plat::kVkReturn || key == plat::kVkEscape)
            m_dialog.Answer(key == plat::kVkReturn);
        return;
    }
    if (key == plat::kVkEscape)
    {
        m_listOpen = false;
        m_dialog.ClickExit();
        return;
    }
    int32_t focused = -1;
    for (int32_t k = 0; k < kFieldCount; ++k)
        if (m_fields[static_cast<size_t>(k)]->HasFocus())
            focused = k;
    if (key == plat::kVkTab)
        Focus((focused + 1) % kFieldCount);
    else if (key == plat::kVkReturn && focused == kSessionField)
        m_dialog.ClickCreate();
    else if (key == plat::kVkReturn && focused == kAddressField)
        m_dialog.ClickJoin();
}
