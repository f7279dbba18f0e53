#include "forecast/ForecastPrint.h"

#include "controls/SheetModel.h"

using namespace Qt::StringLiterals;

namespace tavelin {

QString forecastPrintHeader(QDate businessDate)
{
    return u"/fn\"黑体\"/fz\"15\"/fu0/fb1/fi0/fk0/fs1"
           u"/fn\"宋体\"/fz\"12\"/fu0/fb1/fi0/fk0/fs2"
           u"/n/c/f1"
           u"可租房情况"
           u"/n/l/f2打印日期: "_s
           + businessDate.toString(u"yyyy-MM-dd"_s);
}

void applyForecastPrintSettings(SheetModel &sheet, QDate businessDate)
{
    sheet.setPrintHeader(forecastPrintHeader(businessDate));
    sheet.setPrintAbortMsg(u"正在打印，请稍侯..."_s);
    sheet.setPrintJobName(u"打印可租房情况"_s);
    sheet.setPrintOptionA(true);
    sheet.setPrintOptionB(false);
}

void requestForecastPrint(SheetModel &sheet, QDate businessDate)
{
    applyForecastPrintSettings(sheet, businessDate);
    sheet.setAction(SheetModel::PrintAction);
}

} // namespace tavelin
