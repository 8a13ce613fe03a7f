#include "comm/CQueue.h"

#include <limits>
#include <stdexcept>

#include "base/ComponentError.h"

CQueue::~CQueue() {
    // Unlink one node at a time: letting the head's destructor release the chain would recurse
    // once per node.
    m_tail.reset();
    std::shared_ptr<INode> node = std::move(m_head);
    while (node) {
        std::shared_ptr<INode> next = node->NextNode();
        node->setNextNode(nullptr);
        node->m_queued = false;
        node = std::move(next);
    }
}

void CQueue::admit(const std::shared_ptr<INode>& node) const {
    if (!node) throw std::invalid_argument("CQueue: null node");
    if (node->m_queued) throw std::invalid_argument("CQueue: node is already queued");
    if (m_count == std::numeric_limits<qint16>::max()) throw OverflowError();
}

void CQueue::PushQueue(const std::shared_ptr<INode>& node) {
    admit(node);
    if (IsEmpty()) {
        node->setNextNode(nullptr);
        m_head = node;
        m_tail = node;
    } else {
        node->setNextNode(m_head);
        m_head = node;
    }
    node->m_queued = true;
    ++m_count;
}

void CQueue::Enqueue(const std::shared_ptr<INode>& node) {
    admit(node);
    node->setNextNode(nullptr);
    if (IsEmpty()) {
        m_head = node;
    } else {
        m_tail->setNextNode(node);
    }
    m_tail = node;
    node->m_queued = true;
    ++m_count;
}

std::shared_ptr<INode> CQueue::Dequeue() {
    if (IsEmpty()) return nullptr;
    std::shared_ptr<INode> result = std::move(m_head);
    m_head = result->NextNode();
    result->setNextNode(nullptr);
    result->m_queued = false;
    --m_count;
    if (m_count == 0) {
        m_head.reset();
        m_tail.reset();
    }
    return result;
}
