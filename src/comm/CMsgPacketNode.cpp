#include "comm/CMsgPacketNode.h"

#include "base/ComponentError.h"

CMsgPacketNode::CMsgPacketNode() : m_link(std::make_unique<INode>()) {}

CMsgPacketNode::~CMsgPacketNode() = default;

std::shared_ptr<INode> CMsgPacketNode::NextNode() const { return m_link->NextNode(); }

void CMsgPacketNode::setNextNode(std::shared_ptr<INode> node) { m_link->setNextNode(std::move(node)); }

qint16 CMsgPacketNode::Data(int i) const {
    if (i < 0 || i >= m_data.size()) throw IndexOutOfRangeError();
    return m_data.at(i);
}

void CMsgPacketNode::setData(int i, qint16 value) {
    if (i < 0) throw IndexOutOfRangeError();
    if (i >= m_data.size()) m_data.resize(i + 1);  // new elements are value-initialised to 0
    m_data[i] = value;
}
