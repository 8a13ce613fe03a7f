#pragma once

#include <memory>

class CQueue;

// The link of a singly linked queue: NextNode is the node behind this one. A plain INode is a
// complete link object; CMsgPacketNode implements it by forwarding to a private one.
//
// Links are owning (shared_ptr): a queue owns its chain from the head on. CQueue clears the link of
// every node it hands out or appends at the back, so no chain outlives its queue and no cycle forms
// when a node is dequeued and enqueued again.
class INode {
public:
    INode() = default;
    virtual ~INode() = default;
    INode(const INode&) = delete;
    INode& operator=(const INode&) = delete;

    [[nodiscard]] virtual std::shared_ptr<INode> NextNode() const;
    virtual void setNextNode(std::shared_ptr<INode> node);

    // True while the node is linked into a queue. A node sits in at most one queue, once: linking it
    // in twice would close the chain into a loop and cut off the nodes behind it.
    [[nodiscard]] bool IsQueued() const noexcept { return m_queued; }

private:
    friend class CQueue;

    std::shared_ptr<INode> m_next;
    bool m_queued = false;
};
