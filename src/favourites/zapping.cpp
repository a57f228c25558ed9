#include "zapping.h"

RemoteKey remoteKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (held == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_PageDown:
            return RemoteKey::Next;
        case Qt::Key_PageUp:
            return RemoteKey::Previous;
        case Qt::Key_Backspace:
            return RemoteKey::Back;
        default:
            return RemoteKey::None;
        }
    }
    if (held == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_Down:
            return RemoteKey::Next;
        case Qt::Key_Up:
            return RemoteKey::Previous;
        case Qt::Key_D:
            return RemoteKey::Mark;
        default:
            return RemoteKey::None;
        }
    }
    return RemoteKey::None;
}

int nextRow(int current, int count)
{
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count - 1)
        return 0;
    return current + 1;
}

int previousRow(int current, int count)
{
    if (count <= 0)
        return -1;
    if (current <= 0 || current >= count)
        return count - 1;
    return current - 1;
}

void ZapHistory::played(const PlayedEntry &entry)
{
    if (entry.url.isEmpty())
        return;
    if (m_current && m_current->url == entry.url) {
        m_current = entry; // the same channel, perhaps under a newer name
        return;
    }
    m_previous = std::move(m_current);
    m_current = entry;
}
