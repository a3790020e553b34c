<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru_RU">
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
        <source>Калибровка не выполнена: нужно не менее
двух тестов на мерах разной твердости.</source>
        <translation>Calibration not done: it takes at least
two tests on blocks of different hardness.</translation>
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
    <name>Device</name>
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
</context>
<context>
    <name>RedModalFrame</name>
    <message>
        <source>ОТМЕНА</source>
        <translation>CANCEL</translation>
    </message>
</context>
<context>
    <name>ScaleModel</name>
    <message>
        <source>Все шкалы</source>
        <translation>All scales</translation>
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
</context>
</TS>
