#pragma once

#include "controls/SheetModel.h"

#include <QAbstractItemModel>

#include <string>
#include <utility>
#include <vector>

namespace tavelin::test {

// Every notification of a model, in order, as short lines: "data 2-4 1-3 text"
// (columns, rows, roles), "header H 0-2", "beginInsertColumns 4-5", "width 3".
class ModelLog
{
public:
    explicit ModelLog(QAbstractItemModel &model)
    {
        using M = QAbstractItemModel;
        const auto add = [this](std::string line) { m_lines.push_back(std::move(line)); };
        const auto range = [](int first, int last) { return std::to_string(first) + '-' + std::to_string(last); };
        const auto begin = [&](auto signal, std::string name) {
            QObject::connect(&model, signal, &m_context,
                             [=](const QModelIndex &, int first, int last) { add(name + ' ' + range(first, last)); });
        };
        const auto end = [&](auto signal, std::string name) {
            QObject::connect(&model, signal, &m_context, [=] { add(name); });
        };
        begin(&M::rowsAboutToBeInserted, "beginInsertRows");
        end(&M::rowsInserted, "endInsertRows");
        begin(&M::rowsAboutToBeRemoved, "beginRemoveRows");
        end(&M::rowsRemoved, "endRemoveRows");
        begin(&M::columnsAboutToBeInserted, "beginInsertColumns");
        end(&M::columnsInserted, "endInsertColumns");
        begin(&M::columnsAboutToBeRemoved, "beginRemoveColumns");
        end(&M::columnsRemoved, "endRemoveColumns");
        end(&M::modelAboutToBeReset, "beginReset");
        end(&M::modelReset, "endReset");
        end(&M::layoutChanged, "layoutChanged");
        QObject::connect(&model, &M::dataChanged, &m_context,
                         [=](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                             std::string kind = roles.isEmpty() ? "all" : "";
                             if (roles.contains(Qt::DisplayRole))
                                 kind += "text";
                             if (roles.contains(SheetModel::ForeColourRole))
                                 kind += "fore";
                             if (roles.contains(SheetModel::BackColourRole))
                                 kind += "back";
                             add("data " + range(topLeft.column(), bottomRight.column()) + ' '
                                 + range(topLeft.row(), bottomRight.row()) + ' ' + kind);
                         });
        QObject::connect(&model, &M::headerDataChanged, &m_context, [=](Qt::Orientation o, int first, int last) {
            add(std::string("header ") + (o == Qt::Horizontal ? 'H' : 'V') + ' ' + range(first, last));
        });
        if (auto *sheet = qobject_cast<SheetModel *>(&model)) {
            QObject::connect(sheet, &SheetModel::columnWidthChanged, &m_context,
                             [=](int column) { add("width " + std::to_string(column)); });
            QObject::connect(sheet, &SheetModel::printRequested, &m_context, [=] { add("print"); });
        }
    }

    std::vector<std::string> take() { return std::exchange(m_lines, {}); }
    const std::vector<std::string> &lines() const noexcept { return m_lines; }

private:
    QObject m_context;
    std::vector<std::string> m_lines;
};

} // namespace tavelin::test
