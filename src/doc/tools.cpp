#include "doc/tools.h"

#include <algorithm>
#include <cstring>

namespace doc {

namespace {
constexpr int kToolModes[] = {EDIT_SELECT, EDIT_MOVE,    EDIT_ROTATE,
                              EDIT_SCALE,  EDIT_STRETCH, EDIT_POLYGON};
}  // namespace

bool ToolOfCommand(int id, int* editMode, int* toolCheck) {
    const auto tools = ToolCommands();
    const auto it = std::find(tools.begin(), tools.end(), id);
    if (it == tools.end()) return false;
    const auto index = static_cast<int>(it - tools.begin());
    if (editMode) *editMode = kToolModes[index];
    if (toolCheck) *toolCheck = index;
    return true;
}

void SelectTool(Session& session, ports::FrameHost& frame, int id) {
    int mode = 0;
    int check = 0;
    if (!ToolOfCommand(id, &mode, &check)) return;
    if (mode == EDIT_POLYGON) {
        session.m_nEditMode = mode;
        session.m_nToolCheck = check;
        session.poly.Discard();
        model::FaceTable& t = session.Table();
        t.ClearSelection();
        frame.InvalidateOrthographicPanes();
        return;
    }
    if (session.m_nEditMode == EDIT_POLYGON) frame.InvalidateOrthographicPanes();
    session.m_nEditMode = mode;
    session.m_nToolCheck = check;
    session.poly.Discard();
}

void RegisterToolCommands(Session& session, ports::FrameHost& frame, CommandRouter& router) {
    const auto tools = ToolCommands();
    for (std::size_t i = 0; i < tools.size(); ++i) {
        const int id = tools[i];
        const int index = static_cast<int>(i);
        router.On(
            id, [&session, &frame, id] { SelectTool(session, frame, id); }, {},
            [&session, index] { return session.m_nToolCheck == index; });
    }
}

SplitterSize FirstSplitterSize(int clientWidth, int clientHeight) {
    return {std::max(0, clientWidth / 2), std::max(0, clientHeight / 2 - 32)};
}

}  // namespace doc
