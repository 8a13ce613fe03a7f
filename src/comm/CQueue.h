#pragma once

#include <QtGlobal>
#include <memory>

#include "comm/INode.h"

// First-in-first-out queue of INode, linked through NextNode. The count alone decides emptiness.
//
// Dequeue clears the link of the node it hands out, and a node appended at the back loses any old
// link, so a node outside the queue never points at one inside it: a packet that is dequeued and
// enqueued again (polling) cannot close the chain into a loop, and nothing outlives the queue.
// When the queue becomes empty head and tail are both released.
//
// The count is 16 bits: the 32768th node is refused with OverflowError, leaving the queue as it
// was. A null node, or one already queued, is refused with std::invalid_argument.
class CQueue {
public:
    CQueue() = default;
    ~CQueue();
    CQueue(const CQueue&) = delete;
    CQueue& operator=(const CQueue&) = delete;

    [[nodiscard]] qint16 Size() const noexcept { return m_count; }
    [[nodiscard]] bool IsEmpty() const noexcept { return m_count <= 0; }

    // Insert at the front.
    void PushQueue(const std::shared_ptr<INode>& node);
    // Append at the back.
    void Enqueue(const std::shared_ptr<INode>& node);
    // Remove and return the front node; nullptr when empty.
    [[nodiscard]] std::shared_ptr<INode> Dequeue();

private:
    void admit(const std::shared_ptr<INode>& node) const;

    std::shared_ptr<INode> m_head;
    std::shared_ptr<INode> m_tail;
    qint16 m_count = 0;
};
