#include "zapping.h"

RemoteKey remoteKey(int key, Qt::KeyboardModifiers modifiers)
{
    struct Binding
    {
        int key;
        Qt::KeyboardModifiers held;
        RemoteKey does;
    };
    static const Binding bindings[] = {
        {Qt::Key_PageDown, Qt::NoModifier, RemoteKey::Next},  {Qt::Key_Down, Qt::ControlModifier, RemoteKey::Next},
        {Qt::Key_PageUp, Qt::NoModifier, RemoteKey::Previous}, {Qt::Key_Up, Qt::ControlModifier, RemoteKey::Previous},
        {Qt::Key_Backspace, Qt::NoModifier, RemoteKey::Back},  {Qt::Key_D, Qt::ControlModifier, RemoteKey::Mark},
    };
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    for (const Binding &binding : bindings) {
        if (binding.key == key && binding.held == held)
            return binding.does;
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
