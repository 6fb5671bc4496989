#include "QrRSXAudioManager.h"

#include "QrAudioEmitter.h"
#include "QrAudioEmitterInstance.h"

QrRSXAudioManager& QrRSXAudioManager::Get()
{
    // Never destroyed: emitters held by static references are released after every static
    // destructor that could have run before them.
    static QrRSXAudioManager* const manager = new QrRSXAudioManager;
    return *manager;
}

QrTList<QrAudioEmitter*>::Node* QrRSXAudioManager::FindNode(const QrAudioEmitter* emitter) const
{
    for (QrTList<QrAudioEmitter*>::Node* node = m_emitters.GetHead(); node; node = node->m_next)
        if (node->m_value == emitter)
            return node;
    return nullptr;
}

void QrRSXAudioManager::AddEmitter(QrAudioEmitter* emitter)
{
    if (emitter && !FindNode(emitter))
        m_emitters.AddTail(emitter);
}

void QrRSXAudioManager::RemoveEmitter(QrAudioEmitter* emitter)
{
    // Without the component no sound record exists, so an emitter names none to give back.
    m_emitters.Remove(FindNode(emitter));
}

bool QrRSXAudioManager::HasEmitter(const QrAudioEmitter* emitter) const
{
    return FindNode(emitter) != nullptr;
}

void QrRSXAudioManager::ReleaseInterface(Interface* audio)
{
    if (audio)
        audio->Release();
}

void QrRSXAudioManager::Shutdown()
{
    while (QrTList<QrAudioEmitter*>::Node* node = m_emitters.GetHead())
    {
        QrAudioEmitter* emitter = node->m_value;
        for (uint32_t i = 0; i < emitter->GetInstanceCount(); ++i)
            if (auto* instance = dynamic_cast<QrAudioEmitterInstance*>(emitter->GetInstanceAt(i)))
                instance->m_sourceHandle = 0;
        m_emitters.Remove(node);
    }
    ReleaseInterface(m_component);
    m_component = nullptr;
}
