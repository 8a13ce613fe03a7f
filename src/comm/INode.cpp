#include "comm/INode.h"

std::shared_ptr<INode> INode::NextNode() const { return m_next; }

void INode::setNextNode(std::shared_ptr<INode> node) { m_next = std::move(node); }
