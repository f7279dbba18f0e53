#include "forecast/ForecastSearch.h"

#include "controls/SheetModel.h"
#include "data/DatabaseError.h"
#include "data/RecordSet.h"
#include "forecast/CodeList.h"
#include "forecast/ForecastDays.h"
#include "forecast/GradeGrid.h"
#include "forecast/GradeList.h"
#include "forecast/OrgGrid.h"

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

QString withoutTrailingSpace(const QString &text)
{
    qsizetype size = text.size();
    while (size > 0 && text[size - 1].isSpace())
        --size;
    return text.first(size);
}

const QString &badGradeListMessage()
{
    static const QString message = u"客房等级列表格式不正确，请重新选择！"_s;
    return message;
}

} // namespace

void clearForecast(SheetModel &gradeSheet, SheetModel &orgSheet)
{
    const SheetModel::Batch gradeBatch(gradeSheet);
    const SheetModel::Batch orgBatch(orgSheet);
    for (SheetModel *sheet : {&gradeSheet, &orgSheet}) {
        sheet->setMaxRows(0);
        sheet->setMaxCols(0);
    }
    for (SheetModel *sheet : {&gradeSheet, &orgSheet}) {
        sheet->setRow(-1);
        sheet->setCol(-1);
        sheet->setBackColor(SheetModel::White);
    }
}

std::optional<CheckFailure> checkCriteria(SearchCriteria &criteria)
{
    // The limit is 730 days although the message has always named 370.
    if (criteria.begin < criteria.businessDate)
        return CheckFailure{u"您输入的查询日期必须大于或等于系统日期！"_s, FocusTarget::BeginDate};
    if (criteria.end < criteria.businessDate)
        return CheckFailure{u"您输入的查询日期必须大于或等于系统日期！"_s, FocusTarget::EndDate};
    if (criteria.end < criteria.begin)
        return CheckFailure{u"您输入的查询日期的终止日期必须大于或等于起始日期！"_s,
                            FocusTarget::EndDate};
    if (criteria.begin.daysTo(criteria.end) >= ForecastDayPlaces)
        return CheckFailure{u"您输入的查询日期的终止日期与起始日期之差不能大于等于370天！"_s,
                            FocusTarget::EndDate};
    if (!criteria.sectionSelected)
        return CheckFailure{u"客房区段不能为空，请重新选择！"_s, FocusTarget::Section};

    const std::optional<QStringList> grades = parseGradeList(criteria.roomGrades);
    if (!grades)
        return CheckFailure{badGradeListMessage(), FocusTarget::RoomGrades};
    criteria.roomGrades = formatGradeList(*grades);
    return std::nullopt;
}

QString featureCode(const QString &featureText)
{
    if (featureText == u"All")
        return featureText;
    return withoutTrailingSpace(featureText.left(10));
}

std::optional<ForecastFilter> forecastFilter(const SearchCriteria &criteria)
{
    std::optional<QStringList> grades = parseGradeList(criteria.roomGrades);
    if (!grades)
        return std::nullopt;

    ForecastFilter filter;
    filter.begin = criteria.begin;
    filter.end = criteria.end;
    filter.includeDueOut = criteria.includeDueOut;
    // Section codes may come from a fixed-width column; the blanks that pad
    // them were never part of the code.
    filter.sectionCode = criteria.sectionCode == u"All" ? criteria.sectionCode
                                                        : withoutTrailingSpace(criteria.sectionCode);
    filter.featureCode = featureCode(criteria.featureText);
    filter.roomGrades = std::move(*grades);
    return filter;
}

void runForecast(const SearchCriteria &criteria, RecordSet &recordSet, SheetModel &gradeSheet,
                 SheetModel &orgSheet)
{
    const std::optional<ForecastFilter> filter = forecastFilter(criteria);
    if (!filter) {
        clearForecast(gradeSheet, orgSheet);
        throw DatabaseError(badGradeListMessage());
    }

    try {
        const CodeList grades = readCodeList(recordSet, gradeCountSql(filter->roomGrades),
                                             gradeListSql(filter->roomGrades));
        buildGradeGrid(recordSet, availabilitySql(*filter), filter->begin, filter->end, grades,
                       gradeSheet);

        const CodeList organisations
            = readCodeList(recordSet, organisationCountSql(), organisationListSql());
        buildOrgGrid(recordSet, occupancySql(*filter), filter->begin, filter->end, organisations,
                     orgSheet);
    } catch (...) {
        if (recordSet.isOpen())
            recordSet.close();
        clearForecast(gradeSheet, orgSheet);
        throw;
    }
}

} // namespace tavelin
