<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>CAboutDialog</name>
    <message>
        <source>Открыть сайт</source>
        <translation>Open the web site</translation>
    </message>
    <message>
        <source>Свежую версию смотрите здесь:</source>
        <translation>The latest version is here:</translation>
    </message>
    <message>
        <source>Автор: команда Pomvelt</source>
        <translation>Author: the Pomvelt team</translation>
    </message>
</context>
<context>
    <name>CCheckWindow</name>
    <message>
        <source>Проверка</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>Проверено файлов: %1, с проблемами: %2, проблем: %3</source>
        <translation>Files checked: %1, with problems: %2, problems: %3</translation>
    </message>
    <message>
        <source>Двойной щелчок копирует &quot;файл:строка&quot; в буфер обмена</source>
        <translation>A double click copies &quot;file:line&quot; to the clipboard</translation>
    </message>
</context>
<context>
    <name>CStatsWindow</name>
    <message>
        <source>Статистика</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Название</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Кодовая страница</source>
        <translation>Code page</translation>
    </message>
    <message>
        <source>Уровни</source>
        <translation>Levels</translation>
    </message>
    <message>
        <source>Полигоны</source>
        <translation>Polygons</translation>
    </message>
    <message>
        <source>Линии</source>
        <translation>Polylines</translation>
    </message>
    <message>
        <source>Точки</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>Подписи</source>
        <translation>Labels</translation>
    </message>
    <message>
        <source>Строки</source>
        <translation>Text lines</translation>
    </message>
    <message>
        <source>Байты</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Вид</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Тип</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Элементы</source>
        <translation>Elements</translation>
    </message>
    <message>
        <source>Уровень</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>полигон</source>
        <translation>polygon</translation>
    </message>
    <message>
        <source>линия</source>
        <translation>line</translation>
    </message>
    <message>
        <source>точка</source>
        <translation>point</translation>
    </message>
    <message>
        <source>Всего</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>По типам</source>
        <translation>By type</translation>
    </message>
    <message>
        <source>По уровням</source>
        <translation>By level</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CEurasiaDialog</name>
    <message>
        <source>Набор карт &quot;Евразия&quot;</source>
        <translation>The &quot;Eurasia&quot; map set</translation>
    </message>
    <message>
        <source>В сети можно найти набор карт под названием &quot;Евразия&quot;. Большое покрытие, но самые первые слои почти у всех файлов пустые и поэтому в приборе при определенном приближении экран навигатора будет пуст.</source>
        <translation>A map set called &quot;Eurasia&quot; can be found on the net. It covers a large area, but the most detailed levels of almost every file are empty, so at a certain zoom the navigator&#x27;s screen stays blank.</translation>
    </message>
    <message>
        <source> Поэтому предлагаются для этого набора карт на выбор следующие действия:</source>
        <translation> So for this map set you may choose one of the following actions:</translation>
    </message>
    <message>
        <source>Удалить слои 0 и 1 (подробные
карты городов будут утрачены)</source>
        <translation>Delete levels 0 and 1 (detailed
city maps will be lost)</translation>
    </message>
    <message>
        <source>Заполнить слои 0 и 1 копированием
объектов ближайшего непустого
слоя (увеличится размер)</source>
        <translation>Fill levels 0 and 1 by copying
the objects of the nearest non-empty
level (the maps grow)</translation>
    </message>
    <message>
        <source>Сделать список для tdb</source>
        <translation>Make a list for tdb</translation>
    </message>
    <message>
        <source>Выбрать файлы и сконвертировать</source>
        <translation>Choose files and convert</translation>
    </message>
    <message>
        <source>сохранять остальные элементы целиком</source>
        <translation>keep the other elements whole</translation>
    </message>
</context>
<context>
    <name>CMainDialog</name>
    <message>
        <source>Утилита для пакетной обработки карт в &quot;польском формате&quot; (формат используется программой GPSMapEdit)</source>
        <translation>A utility for batch processing of maps in the &quot;Polish format&quot; (the format used by GPSMapEdit)</translation>
    </message>
    <message>
        <source>Декомпилировать карту (.img)
в польский формат</source>
        <translation>Decompile the map (.img)
into the Polish format</translation>
    </message>
    <message>
        <source>GPSMapEdit
(всю директорию)</source>
        <translation>GPSMapEdit
(the whole folder)</translation>
    </message>
    <message>
        <source>Не переводить</source>
        <translation>Do not translate</translation>
    </message>
    <message>
        <source>Преобразовывать заглавные буквы
в строчные (кроме первых в слове)</source>
        <translation>Turn capital letters into small
ones (except the first of a word)</translation>
    </message>
    <message>
        <source>Делать конвертацию в оригинале
(не создавать копию)</source>
        <translation>Convert the original file
(do not create a copy)</translation>
    </message>
    <message>
        <source>Создавать список файлов</source>
        <translation>Create a list of files</translation>
    </message>
    <message>
        <source>Перевод</source>
        <translation>Translation</translation>
    </message>
    <message>
        <source>Компилировать карту (необходимо
наличие файла cgpsmapper.exe)</source>
        <translation>Compile the map (the file
cgpsmapper.exe is needed)</translation>
    </message>
    <message>
        <source>Удалять исходные файлы (.mp)
после компиляции</source>
        <translation>Delete the source files (.mp)
after compiling</translation>
    </message>
    <message>
        <source>Компиляция</source>
        <translation>Compiling</translation>
    </message>
    <message>
        <source>Выбрать файл(ы) и конвертировать</source>
        <translation>Choose file(s) and convert</translation>
    </message>
    <message>
        <source>Конвертация</source>
        <translation>Conversion</translation>
    </message>
    <message>
        <source>в полигонах</source>
        <translation>in polygons</translation>
    </message>
    <message>
        <source>в линиях</source>
        <translation>in lines</translation>
    </message>
    <message>
        <source>Делать замену в оригинале
(не создавать копию)</source>
        <translation>Replace in the original file
(do not create a copy)</translation>
    </message>
    <message>
        <source>Выбрать файл(ы) и произвести замену</source>
        <translation>Choose file(s) and replace</translation>
    </message>
    <message>
        <source>Замена атрибутов</source>
        <translation>Type replacement</translation>
    </message>
    <message>
        <source>Менять:</source>
        <translation>Change:</translation>
    </message>
    <message>
        <source>Атрибут:</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>Заменить на атрибут:</source>
        <translation>Replace with type:</translation>
    </message>
    <message>
        <source>полигоны</source>
        <translation>polygons</translation>
    </message>
    <message>
        <source>линии</source>
        <translation>lines</translation>
    </message>
    <message>
        <source>точки</source>
        <translation>points</translation>
    </message>
    <message>
        <source>Удалять элементы в оригинале
(не делать копию)</source>
        <translation>Delete in the original file
(do not make a copy)</translation>
    </message>
    <message>
        <source>Выбрать файл(ы) и удалить элементы</source>
        <translation>Choose file(s) and delete elements</translation>
    </message>
    <message>
        <source>Удаление элементов</source>
        <translation>Element deletion</translation>
    </message>
    <message>
        <source>Удалять:</source>
        <translation>Delete:</translation>
    </message>
    <message>
        <source>С атрибутом:</source>
        <translation>Of type:</translation>
    </message>
    <message>
        <source>Удаление слоев</source>
        <translation>Level deletion</translation>
    </message>
    <message>
        <source>Удалять все элементы слоя:</source>
        <translation>Delete every element of level:</translation>
    </message>
    <message>
        <source>Утилиты для &quot;Евразии&quot;...</source>
        <translation>Utilities for &quot;Eurasia&quot;...</translation>
    </message>
    <message>
        <source>Евразия</source>
        <translation>Eurasia</translation>
    </message>
    <message>
        <source>Поиск и замена...</source>
        <translation>Search and replace...</translation>
    </message>
    <message>
        <source>Поиск и замена</source>
        <translation>Search and replace</translation>
    </message>
    <message>
        <source>Поиск и замена произвольной строки</source>
        <translation>Search and replace of any text</translation>
    </message>
    <message>
        <source>Настройки...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Отменить последнюю операцию</source>
        <translation>Undo the last operation</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Карт для следующей команды: %1</source>
        <translation>Maps for the next command: %1</translation>
    </message>
    <message>
        <source>сохранять остальные элементы целиком</source>
        <translation>keep the other elements whole</translation>
    </message>
    <message>
        <source>Статистика...</source>
        <translation>Statistics...</translation>
    </message>
    <message>
        <source>Проверка...</source>
        <translation>Check...</translation>
    </message>
    <message>
        <source>Правила...</source>
        <translation>Rules...</translation>
    </message>
    <message>
        <source>Анализ и правила</source>
        <translation>Analysis and rules</translation>
    </message>
    <message>
        <source>Перекодировка...</source>
        <translation>Recode...</translation>
    </message>
</context>
<context>
    <name>CRecodeDialog</name>
    <message>
        <source>Перекодировка карт</source>
        <translation>Recoding maps</translation>
    </message>
    <message>
        <source>Заменять знаки, которых нет в кодировке, на &quot;?&quot;</source>
        <translation>Replace characters the code page lacks with &quot;?&quot;</translation>
    </message>
    <message>
        <source>Перекодировать в оригинале (не создавать копию)</source>
        <translation>Recode the original file (do not create a copy)</translation>
    </message>
    <message>
        <source>Выбрать файлы и перекодировать</source>
        <translation>Choose files and recode</translation>
    </message>
    <message>
        <source>Кодировка:</source>
        <translation>Code page:</translation>
    </message>
</context>
<context>
    <name>CReportDialog</name>
    <message>
        <source>Подробнее</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Итог</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Счётчики</source>
        <translation>Counts</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Сохранить отчёт...</source>
        <translation>Save report...</translation>
    </message>
    <message>
        <source>Сохранить отчёт</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>Отчёт JSON (*.json)</source>
        <translation>JSON report (*.json)</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CSearchReplaceDialog</name>
    <message>
        <source>Поиск и замена строки (любой)</source>
        <translation>Search and replace of a text (any)</translation>
    </message>
    <message>
        <source>Эта функция не следит за целостностью элементов и при неаккуратных действиях пользователя карта после замены строк может не открыться вовсе. Поэтому все эксперименты настоятельно рекомендую производить на копиях.</source>
        <translation>This function does not watch over the integrity of elements: after careless replacements a map may not open at all. So do every experiment on copies.</translation>
    </message>
    <message>
        <source>Выбрать файлы и конвертировать</source>
        <translation>Choose files and convert</translation>
    </message>
    <message>
        <source>Строка для поиска</source>
        <translation>Text to search for</translation>
    </message>
    <message>
        <source>Строка для замены</source>
        <translation>Replacement text</translation>
    </message>
</context>
<context>
    <name>CSettingsDialog</name>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Как в системе</source>
        <translation>As the system</translation>
    </message>
    <message>
        <source>Язык (со следующего запуска):</source>
        <translation>Language (from the next start):</translation>
    </message>
    <message>
        <source>Компилятор:</source>
        <translation>Compiler:</translation>
    </message>
    <message>
        <source>Его дополнительные параметры:</source>
        <translation>Its extra arguments:</translation>
    </message>
    <message>
        <source>Сохранять оригиналы для отмены операции</source>
        <translation>Keep the originals to undo an operation</translation>
    </message>
</context>
<context>
    <name>CXFileDialog</name>
    <message>
        <source>Выбрать все - Ctr+A</source>
        <translation>Select all - Ctrl+A</translation>
    </message>
    <message>
        <source>файлы(*.mp)</source>
        <translation>files(*.mp)</translation>
    </message>
    <message>
        <source>файлы(*.txt)</source>
        <translation>files(*.txt)</translation>
    </message>
    <message>
        <source>файлы(*.img)</source>
        <translation>files(*.img)</translation>
    </message>
    <message>
        <source>Все файлы (*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>Выбрать файл правил</source>
        <translation>Choose the rules file</translation>
    </message>
</context>
<context>
    <name>JobDialog</name>
    <message>
        <source>Конвертирую...</source>
        <translation>Converting...</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>QtJobHost</name>
    <message>
        <source>Готово</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>Прервано</source>
        <translation>Aborted</translation>
    </message>
    <message>
        <source>Операцию можно отменить: &quot;Отменить последнюю операцию&quot; в меню окна</source>
        <translation>The operation can be undone: &quot;Undo the last operation&quot; in the window menu</translation>
    </message>
    <message>
        <source>Нет операции для отмены</source>
        <translation>There is no operation to undo</translation>
    </message>
    <message>
        <source>Отсутствует файл cgpsmapper.exe</source>
        <translation>The file cgpsmapper.exe is missing</translation>
    </message>
    <message>
        <source>Не могу открыть файл для чтения</source>
        <translation>Cannot open the file for reading</translation>
    </message>
    <message>
        <source>Не могу открыть файл для вывода</source>
        <translation>Cannot open the file for output</translation>
    </message>
    <message>
        <source>Не могу открыть файл для списка</source>
        <translation>Cannot open the file for the list</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Подробнее</source>
        <translation>Details</translation>
    </message>
</context>
</TS>
