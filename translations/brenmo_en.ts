<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru_RU">
<context>
    <name>ArchiveFile</name>
    <message>
        <source>Архив измерений недоступен: он занят другой программой.</source>
        <translation>The measurement archive is unavailable: another program is holding it.</translation>
    </message>
    <message>
        <source>Архив измерений недоступен: диск заполнен.</source>
        <translation>The measurement archive is unavailable: the disk is full.</translation>
    </message>
    <message>
        <source>Архив измерений недоступен: нет права записи в %1.</source>
        <translation>The measurement archive is unavailable: no permission to write to %1.</translation>
    </message>
    <message>
        <source>Архив измерений недоступен: ошибка записи (%1).</source>
        <translation>The measurement archive is unavailable: a write failed (%1).</translation>
    </message>
    <message>
        <source>Архив измерений недоступен: файл %1 повреждён, и отложить его не удалось.</source>
        <translation>The measurement archive is unavailable: the file %1 is damaged and could not be set aside.</translation>
    </message>
    <message>
        <source>Архив измерений был повреждён и отложен как %1; начат новый.</source>
        <translation>The measurement archive was damaged and has been set aside as %1; a new one was started.</translation>
    </message>
    <message>
        <source>Архив измерений недоступен: он создан более новой версией программы.</source>
        <translation>The measurement archive is unavailable: it was made by a newer version of the program.</translation>
    </message>
    <message>
        <source>Архив измерений недоступен: его занимает другая копия программы.</source>
        <translation>The measurement archive is unavailable: another copy of the program is using it.</translation>
    </message>
</context>
<context>
    <name>CalibList</name>
    <message>
        <source>ТЕСТ </source>
        <translation>TEST </translation>
    </message>
    <message>
        <source>Необходимо сделать&lt;br&gt;не менее &lt;b&gt;5 замеров!&lt;/b&gt;</source>
        <translation>You need to take&lt;br&gt;at least &lt;b&gt;5 measurements!&lt;/b&gt;</translation>
    </message>
    <message>
        <source>ЗАВЕРШИТЬ ТЕСТ</source>
        <translation>END TEST</translation>
    </message>
    <message>
        <source>ЗАВЕРШИТЬ КАЛИБРОВКУ</source>
        <translation>END CALIBRATION</translation>
    </message>
    <message>
        <source>Вы хотите завершить калибровку?</source>
        <translation>Do you want to end the calibration?</translation>
    </message>
    <message>
        <source>Калибровка не выполнена.</source>
        <translation>Calibration failed.</translation>
    </message>
    <message>
        <source>Твердость меры не распознана. Введите
число, например 45,5 или 45.5.</source>
        <translation>The block&apos;s hardness is not a number.
Enter one, for example 45.5.</translation>
    </message>
    <message>
        <source>Наибольшая разница: %1    R²: %2</source>
        <translation>Largest difference: %1    R²: %2</translation>
    </message>
    <message>
        <source>Коэффициенты, которые были до
последней калибровки, восстановлены.</source>
        <translation>The constants from before the
last calibration are restored.</translation>
    </message>
    <message>
        <source>ОТМЕНИТЬ ПОСЛЕДНЮЮ КАЛИБРОВКУ</source>
        <translation>UNDO LAST CALIBRATION</translation>
    </message>
    <message>
        <source>Мера</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>По новым</source>
        <translation>New fit</translation>
    </message>
    <message>
        <source>Разница</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>Вернуть в прибор коэффициенты, которые
были до калибровки %1?</source>
        <translation>Write back the constants the tester
had before the calibration of %1?</translation>
    </message>
    <message>
        <source>Тест не записан: в списке нет замеров.
Сделайте замеры на мере, затем завершите тест.</source>
        <translation>No test recorded: the list holds no measurements.
Measure on the block, then finish the test.</translation>
    </message>
</context>
<context>
    <name>Calibration</name>
    <message>
        <source>Калибровка не выполнена: нет ни одного теста.</source>
        <translation>Calibration failed: there are no tests.</translation>
    </message>
    <message>
        <source>Калибровка не выполнена: нужно не менее
двух тестов на мерах разной твердости.</source>
        <translation>Calibration failed: at least two tests
on blocks of different hardness are needed.</translation>
    </message>
    <message>
        <source>Калибровка не выполнена: прибор не сообщил
текущую шкалу. Ничего не записано.</source>
        <translation>Calibration failed: the tester did not report
its current scale. Nothing was written.</translation>
    </message>
    <message>
        <source>Калибровка не выполнена: текущая шкала прибора
неизвестна программе.</source>
        <translation>Calibration failed: the tester&apos;s current scale
is unknown to the program.</translation>
    </message>
    <message>
        <source>Калибровка не выполнена: текущая шкала прибора
изменилась после проверки. Ничего не записано.</source>
        <translation>Calibration failed: the tester&apos;s current
scale changed after the check. Nothing written.</translation>
    </message>
    <message>
        <source>Нет сохраненных коэффициентов для текущей шкалы.</source>
        <translation>No kept constants for the current scale.</translation>
    </message>
    <message>
        <source>Отмена не выполнена: прибор не сообщил
текущую шкалу. Ничего не записано.</source>
        <translation>Undo failed: the tester did not report
its current scale. Nothing written.</translation>
    </message>
    <message>
        <source>Отмена не выполнена: сохраненные коэффициенты
относятся к другой шкале. Ничего не записано.</source>
        <translation>Undo failed: the kept constants belong
to another scale. Nothing written.</translation>
    </message>
    <message>
        <source>Отмена не выполнена: шкала не прочитана
из прибора. Ничего не записано.</source>
        <translation>Undo failed: the scale was not read
from the tester. Nothing written.</translation>
    </message>
    <message>
        <source>Отмена не выполнена: прибор не принял
коэффициенты.</source>
        <translation>Undo failed: the tester did not accept
the constants.</translation>
    </message>
    <message>
        <source>Отмена не подтверждена: шкалу не удалось прочитать.
Сохраненные коэффициенты остаются для отмены.</source>
        <translation>Undo not confirmed: the scale could not be read back.
The kept constants stay for another undo.</translation>
    </message>
    <message>
        <source>Калибровка не выполнена: коэффициенты не отправлены.
Проверьте связь с прибором. Ничего не записано.</source>
        <translation>Calibration not done: the constants were not sent.
Check the link to the tester. Nothing was written.</translation>
    </message>
    <message>
        <source>Калибровка не выполнена: прибор не принял
коэффициенты. В приборе прежние коэффициенты.</source>
        <translation>Calibration not done: the tester did not take
the constants. It holds the previous ones.</translation>
    </message>
    <message>
        <source>Запись не подтверждена: шкалу не удалось прочитать.
Прежние коэффициенты сохранены для отмены.</source>
        <translation>Write not confirmed: the scale could not be read back.
The previous constants are kept for an undo.</translation>
    </message>
    <message>
        <source>Калибровка не выполнена: в приборе иные
коэффициенты. Прежние сохранены для отмены.</source>
        <translation>Calibration not done: the tester holds other
constants. The previous ones are kept for an undo.</translation>
    </message>
</context>
<context>
    <name>Chart</name>
    <message>
        <source>НОМЕР ИЗМЕРЕНИЯ</source>
        <translation>MEASUREMENT NUMBER</translation>
    </message>
    <message>
        <source>ТВЕРДОСТЬ</source>
        <translation>HARDNESS</translation>
    </message>
</context>
<context>
    <name>ContextPanel</name>
    <message>
        <source>Деталь</source>
        <translation>Part</translation>
    </message>
    <message>
        <source>Партия</source>
        <translation>Lot</translation>
    </message>
    <message>
        <source>Оператор</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>Примечание</source>
        <translation>Note</translation>
    </message>
</context>
<context>
    <name>CurrentContext</name>
    <message>
        <source>Деталь: %1</source>
        <translation>Part: %1</translation>
    </message>
    <message>
        <source>Партия: %1</source>
        <translation>Lot: %1</translation>
    </message>
    <message>
        <source>Оператор: %1</source>
        <translation>Operator: %1</translation>
    </message>
    <message>
        <source>Примечание: %1</source>
        <translation>Note: %1</translation>
    </message>
</context>
<context>
    <name>Device</name>
    <message>
        <source>Сохранить измерения</source>
        <translation>Save measurements</translation>
    </message>
    <message>
        <source>Таблица Excel (*.xlsx)</source>
        <translation>Excel workbook (*.xlsx)</translation>
    </message>
    <message>
        <source>Открыть измерения</source>
        <translation>Open measurements</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Архив измерений</source>
        <translation>Measurement archive</translation>
    </message>
    <message>
        <source>с дд.мм.гггг</source>
        <translation>from dd.mm.yyyy</translation>
    </message>
    <message>
        <source>по дд.мм.гггг</source>
        <translation>to dd.mm.yyyy</translation>
    </message>
    <message>
        <source>Прибор</source>
        <translation>Tester</translation>
    </message>
    <message>
        <source>Шкала</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>Деталь</source>
        <translation>Part</translation>
    </message>
    <message>
        <source>Партия</source>
        <translation>Lot</translation>
    </message>
    <message>
        <source>Оператор</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>НАЙТИ</source>
        <translation>FIND</translation>
    </message>
    <message>
        <source>замеров: %1</source>
        <translation>readings: %1</translation>
    </message>
    <message>
        <source>ОТКРЫТЬ В ТАБЛИЦЕ</source>
        <translation>OPEN IN THE TABLE</translation>
    </message>
    <message>
        <source>ЗАМЕРЫ</source>
        <translation>READINGS</translation>
    </message>
    <message>
        <source>ЖУРНАЛ</source>
        <translation>JOURNAL</translation>
    </message>
    <message>
        <source>Найдено: %1</source>
        <translation>Found: %1</translation>
    </message>
    <message>
        <source>память</source>
        <translation>memory</translation>
    </message>
    <message>
        <source>с прибора</source>
        <translation>live</translation>
    </message>
    <message>
        <source>калибровка</source>
        <translation>calibration</translation>
    </message>
</context>
<context>
    <name>MeasureDelegate</name>
    <message>
        <source>Удалить измерение</source>
        <translation>Delete the measurement</translation>
    </message>
</context>
<context>
    <name>MeasureList</name>
    <message>
        <source>Действия с выбранными:</source>
        <translation>With the ticked ones:</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Снять выделение</source>
        <translation>Untick all</translation>
    </message>
    <message>
        <source>Очистить память</source>
        <translation>Clear memory</translation>
    </message>
</context>
<context>
    <name>MeasurementModel</name>
    <message>
        <source>Все шкалы</source>
        <translation>All scales</translation>
    </message>
    <message>
        <source>Измерения</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>Файл не сохранён: на диске не хватает места.</source>
        <translation>File not saved: the disk is full.</translation>
    </message>
    <message>
        <source>Файл не сохранён: в книгу Excel нельзя записать эти данные.</source>
        <translation>File not saved: an Excel workbook cannot hold this data.</translation>
    </message>
    <message>
        <source>Файл не сохранён: нет доступа к папке,
или файл открыт в другой программе.</source>
        <translation>File not saved: no access to the folder,
or the file is open in another program.</translation>
    </message>
    <message>
        <source>Файл не сохранён: ошибка записи на диск.</source>
        <translation>File not saved: the disk could not be written.</translation>
    </message>
    <message>
        <source>Файл не открыт: его нет или к нему нет доступа.</source>
        <translation>File not opened: it is missing or cannot be read.</translation>
    </message>
    <message>
        <source>Файл не открыт: книга Excel повреждена.</source>
        <translation>File not opened: the Excel workbook is damaged.</translation>
    </message>
    <message>
        <source>Файл не открыт: книга Excel слишком велика
(не более 1 048 576 строк).</source>
        <translation>File not opened: the Excel workbook is too large
(at most 1,048,576 rows).</translation>
    </message>
    <message>
        <source>Файл не открыт: лист записан необычным образом и слишком велик.
Сохраните книгу заново в Excel или LibreOffice.</source>
        <translation>File not opened: the sheet is written in an unusual way and is too large.
Save the workbook again in Excel or LibreOffice.</translation>
    </message>
    <message>
        <source>Файл не открыт: в книге нет листа &quot;%1&quot;.</source>
        <translation>File not opened: the workbook has no sheet &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Файл не открыт: это не книга Excel (.xlsx).</source>
        <translation>File not opened: it is not an Excel workbook (.xlsx).</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>ультразвуковой</source>
        <translation>ultrasonic</translation>
    </message>
    <message>
        <source>тип: </source>
        <translation>type: </translation>
    </message>
    <message>
        <source>КАЛИБРОВКА</source>
        <translation>CALIBRATION</translation>
    </message>
    <message>
        <source>Прибор не подключен</source>
        <translation>Tester not connected</translation>
    </message>
    <message>
        <source>поиск прибора...</source>
        <translation>looking for the tester...</translation>
    </message>
    <message>
        <source>Соединение: прочитать память прибора</source>
        <translation>Connection: read the tester&apos;s memory</translation>
    </message>
    <message>
        <source>Сохранить в таблицу Excel</source>
        <translation>Save to an Excel workbook</translation>
    </message>
    <message>
        <source>Открыть таблицу Excel</source>
        <translation>Open an Excel workbook</translation>
    </message>
    <message>
        <source>Настройки прибора</source>
        <translation>Tester settings</translation>
    </message>
    <message>
        <source>Сохранить отчёт</source>
        <translation>Save a report</translation>
    </message>
    <message>
        <source>Закрыть программу</source>
        <translation>Close the program</translation>
    </message>
    <message>
        <source>Архив измерений</source>
        <translation>Measurement archive</translation>
    </message>
</context>
<context>
    <name>RedInputDialog</name>
    <message>
        <source>Введите твердость меры:</source>
        <translation>Enter the block&apos;s hardness:</translation>
    </message>
</context>
<context>
    <name>RedModalFrame</name>
    <message>
        <source>ОТМЕНА</source>
        <translation>CANCEL</translation>
    </message>
</context>
<context>
    <name>ReportWriter</name>
    <message>
        <source>Протокол измерений твёрдости</source>
        <translation>Hardness inspection report</translation>
    </message>
    <message>
        <source>Не удалось начать PDF.</source>
        <translation>The PDF could not be started.</translation>
    </message>
    <message>
        <source>№</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Твёрдость</source>
        <translation>Hardness</translation>
    </message>
    <message>
        <source>Шкала</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>Допуск</source>
        <translation>Tolerance</translation>
    </message>
    <message>
        <source>Дата отчёта: %1</source>
        <translation>Report date: %1</translation>
    </message>
    <message>
        <source>Прибор: %1</source>
        <translation>Tester: %1</translation>
    </message>
    <message>
        <source>Шкалы: %1</source>
        <translation>Scales: %1</translation>
    </message>
    <message>
        <source>Измерений: %1</source>
        <translation>Measurements: %1</translation>
    </message>
    <message>
        <source>Без результата (ERR): %1</source>
        <translation>Without a result (ERR): %1</translation>
    </message>
    <message>
        <source>Среднее: %1</source>
        <translation>Mean: %1</translation>
    </message>
    <message>
        <source>Стандартное отклонение: %1</source>
        <translation>Standard deviation: %1</translation>
    </message>
    <message>
        <source>Минимум: %1</source>
        <translation>Minimum: %1</translation>
    </message>
    <message>
        <source>Максимум: %1</source>
        <translation>Maximum: %1</translation>
    </message>
    <message>
        <source>Размах: %1</source>
        <translation>Range: %1</translation>
    </message>
    <message>
        <source>Допуски: не заданы</source>
        <translation>Tolerance limits: none set</translation>
    </message>
    <message>
        <source>Допуски: %1</source>
        <translation>Tolerance limits: %1</translation>
    </message>
    <message>
        <source>Вне допуска: %1</source>
        <translation>Out of tolerance: %1</translation>
    </message>
    <message>
        <source>Страница %1 из %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>ниже допуска</source>
        <translation>below tolerance</translation>
    </message>
    <message>
        <source>выше допуска</source>
        <translation>above tolerance</translation>
    </message>
    <message>
        <source>Нет списка измерений.</source>
        <translation>There is no measurement list.</translation>
    </message>
    <message>
        <source>Шкала %1</source>
        <translation>Scale %1</translation>
    </message>
    <message>
        <source>С результатом: %1</source>
        <translation>With a result: %1</translation>
    </message>
    <message>
        <source>Отчёт PDF (*.pdf)</source>
        <translation>PDF report (*.pdf)</translation>
    </message>
    <message>
        <source>Таблица CSV (*.csv)</source>
        <translation>CSV table (*.csv)</translation>
    </message>
    <message>
        <source>ru_RU</source>
        <comment>the locale of this translation: CSV reports take their decimal point from it</comment>
        <translation>en_US</translation>
    </message>
    <message>
        <source>Сохранить отчёт</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>Не удалось записать файл «%1»: %2</source>
        <translation>Could not write the file “%1”: %2</translation>
    </message>
</context>
<context>
    <name>ScaleDelegateUser</name>
    <message>
        <source>Удалить шкалу</source>
        <translation>Remove the scale</translation>
    </message>
</context>
<context>
    <name>ScaleModel</name>
    <message>
        <source>Все шкалы</source>
        <translation>All scales</translation>
    </message>
    <message>
        <source>Роквелл С, легир. сталь</source>
        <translation>Rockwell C, alloy steel</translation>
    </message>
    <message>
        <source>Бринелль, легир. сталь</source>
        <translation>Brinell, alloy steel</translation>
    </message>
    <message>
        <source>Виккерс, легир. сталь</source>
        <translation>Vickers, alloy steel</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Дата/время</source>
        <translation>Date/time</translation>
    </message>
    <message>
        <source>Шкалы</source>
        <translation>Scales</translation>
    </message>
    <message>
        <source>ПРИМЕНИТЬ</source>
        <translation>APPLY</translation>
    </message>
    <message>
        <source>ОТМЕНА</source>
        <translation>CANCEL</translation>
    </message>
    <message>
        <source>Установить текущее Дату/Время</source>
        <translation>Set the current date/time</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>Файл настроек был повреждён: нечитаемые строки пропущены,
остальные настройки сохранены. Копия прежнего файла:
%1</source>
        <translation>The settings file was damaged: unreadable lines were skipped,
the other settings are kept. A copy of the former file:
%1</translation>
    </message>
</context>
<context>
    <name>SettingsTabScales</name>
    <message>
        <source>СТАНДАРТНЫЕ ШКАЛЫ:</source>
        <translation>STANDARD SCALES:</translation>
    </message>
    <message>
        <source>ДОБАВИТЬ НОВУЮ:</source>
        <translation>ADD A NEW ONE:</translation>
    </message>
    <message>
        <source>ДОБАВИТЬ</source>
        <translation>ADD</translation>
    </message>
    <message>
        <source>ПОЛЬЗОВАТЕЛЬСКИЕ ШКАЛЫ:</source>
        <translation>USER SCALES:</translation>
    </message>
    <message>
        <source>Не все шкалы прочитаны из прибора: изменить их нельзя.
Проверьте связь, закройте настройки и откройте их снова.</source>
        <translation>Not every scale was read from the tester: they cannot be changed.
Check the cable, close the settings and open them again.</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Описание</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Шкала с именем &quot;%1&quot; уже есть.</source>
        <translation>A scale named &quot;%1&quot; already exists.</translation>
    </message>
</context>
<context>
    <name>StatisticsPanel</name>
    <message>
        <source>Допуск сохранён.</source>
        <translation>Limits saved.</translation>
    </message>
    <message>
        <source>Введите числа; нижняя граница не выше верхней.</source>
        <translation>Enter numbers; the lower limit may not exceed the upper.</translation>
    </message>
    <message>
        <source>выделенные строки</source>
        <translation>ticked rows</translation>
    </message>
    <message>
        <source>все строки списка</source>
        <translation>all rows of the list</translation>
    </message>
    <message>
        <source>СТАТИСТИКА</source>
        <translation>STATISTICS</translation>
    </message>
    <message>
        <source>Среднее</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>Ст. отклонение</source>
        <translation>Std. deviation</translation>
    </message>
    <message>
        <source>Размах</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>Минимум</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Максимум</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Вне допуска</source>
        <translation>Out of tolerance</translation>
    </message>
    <message>
        <source>ДОПУСК ШКАЛЫ</source>
        <translation>SCALE LIMITS</translation>
    </message>
    <message>
        <source>от</source>
        <translation>from</translation>
    </message>
    <message>
        <source>до</source>
        <translation>to</translation>
    </message>
    <message>
        <source>ПРИМЕНИТЬ</source>
        <translation>APPLY</translation>
    </message>
    <message>
        <source>С результатом</source>
        <translation>With a result</translation>
    </message>
    <message>
        <source>Без результата (ERR)</source>
        <translation>Without a result (ERR)</translation>
    </message>
    <message>
        <source>Замеры без результата (ERR) в расчёт не входят</source>
        <translation>Measurements without a result (ERR) are not counted</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>TIVOR</source>
        <translation>TIVOR</translation>
    </message>
    <message>
        <source>СРЕД. ЗНАЧЕНИЕ:</source>
        <translation>AVERAGE:</translation>
    </message>
    <message>
        <source>Подождите...</source>
        <translation>Please wait...</translation>
    </message>
    <message>
        <source>Прибор не найден. Проверьте подключение кабеля,
включите прибор и нажмите кнопку &quot;Соединение&quot;.</source>
        <translation>Tester not found. Check the cable,
switch the tester on and press &quot;Connection&quot;.</translation>
    </message>
    <message>
        <source>Вы точно хотите очистить память устройства?</source>
        <translation>Do you really want to clear the tester&apos;s memory?</translation>
    </message>
    <message>
        <source>Нет прав на порт %1. Выполните в терминале
sudo usermod -aG dialout $USER и перезайдите.</source>
        <translation>No permission for port %1. In a terminal, run
sudo usermod -aG dialout $USER and log in again.</translation>
    </message>
    <message>
        <source>Прибор принял не все изменения. Они остались в окне настроек:
проверьте связь и нажмите &quot;ПРИМЕНИТЬ&quot; ещё раз.</source>
        <translation>The tester did not take every change. They are still in the settings:
check the cable and press &quot;APPLY&quot; again.</translation>
    </message>
    <message>
        <source>Шкалы не записаны: не все шкалы прочитаны из прибора.</source>
        <translation>Scales not written: not every scale was read from the tester.</translation>
    </message>
    <message>
        <source>Память прибора не очищена. Проверьте связь и повторите.</source>
        <translation>The tester&apos;s memory was not cleared. Check the cable and try again.</translation>
    </message>
    <message>
        <source>Прибор не переключил шкалу. Выберите её ещё раз.</source>
        <translation>The tester did not switch the scale. Choose it again.</translation>
    </message>
    <message>
        <source>Отчёт не сохранён:
%1</source>
        <translation>Report not saved:
%1</translation>
    </message>
    <message>
        <source>Прибор подключен. Чтобы прочитать его память,
нажмите кнопку &quot;Соединение&quot;.</source>
        <translation>Tester connected. To read its memory,
press the &quot;Connection&quot; button.</translation>
    </message>
    <message>
        <source>%1 из %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>Память прибора прочитана не полностью. Проверьте
связь и нажмите кнопку &quot;Соединение&quot; ещё раз.</source>
        <translation>The tester&apos;s memory was not read in full. Check
the cable and press &quot;Connection&quot; again.</translation>
    </message>
    <message>
        <source>Подключен другой прибор: %1. Чтобы прочитать
его память, нажмите кнопку &quot;Соединение&quot;.</source>
        <translation>Another tester is connected: %1. To read
its memory, press the &quot;Connection&quot; button.</translation>
    </message>
    <message>
        <source>Память не очищена: в архиве нет всех замеров последнего
чтения. Нажмите &quot;Соединение&quot; и повторите.</source>
        <translation>Memory not cleared: the archive lacks some readings of the last
read. Press &quot;Connection&quot; and try again.</translation>
    </message>
    <message>
        <source>В архиве сохранены все замеры последнего чтения (%1).
Очистить память прибора?</source>
        <translation>The archive holds all readings of the last read (%1).
Clear the tester&apos;s memory?</translation>
    </message>
</context>
</TS>
