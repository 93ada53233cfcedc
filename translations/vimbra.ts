<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="ru_RU">
<context>
    <name>ClassReport</name>
    <message>
        <source>нет соединения с сервером</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ClassRoster</name>
    <message>
        <source>имя не указано</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>имя длиннее %1 знаков</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>«%1» нет в списке класса</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>«%1» нет в списке класса %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ClassServer</name>
    <message>
        <source>неизвестная ошибка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удаётся прочесть версию схемы журнала класса</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал класса на сервере ещё не создан; его создаёт администратор (vimbra --class-journal-setup)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>схема журнала класса на сервере устарела (версия %1, нужна %2); её обновляет администратор (vimbra --class-journal-setup)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет соединения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>локальный сокет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>пользователь %1, база %2, сервер %3:%4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>Журнал класса не настроен: в [Journal] Service файла настроек нет службы (%1). Проверяю подключение по переменным окружения libpq.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Служба подключения: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал класса недоступен: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Подключено: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Схема журнала класса: версия %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Список класса: учеников — %1, классов — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Список класса не читается: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Права: учителя (видит серии всего класса)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Права: ученика (добавляет серии)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ждут отправки с этого компьютера: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось подготовить журнал класса: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал класса готов: схема версии %1; %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CountOf</name>
    <message>
        <source>деление</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>деления</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>делений</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серию</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серий</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выстрел</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выстрела</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выстрелов</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Debrief</name>
    <message>
        <source>мушка чаще выше краёв прорези — пробоины уходят вверх</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мушка чаще ниже краёв прорези — пробоины уходят вниз</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мушка чаще левее середины прорези — пробоины уходят влево</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мушка чаще правее середины прорези — пробоины уходят вправо</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мушка то выше, то ниже краёв прорези — ровняйте её вершину точно по краям</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мушка то левее, то правее середины прорези — ставьте её точно посередине</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Для вывода нужно не меньше %1 пробоин: стреляйте дальше.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Разброс даёт прицеливание: мушка стоит в прорези каждый раз по-разному.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Разброс даёт удержание: оружие от выстрела к выстрелу наведено в разные точки. Подводите прицел под мишень одинаково, без рывков.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Разброс дают и прицеливание, и удержание.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>По высоте поправка не нужна.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Планку нужно поднять, но она уже поднята до предела.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Планку нужно опустить, но она уже опущена до предела.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 прицельную планку на %2%3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поднять</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Опустить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (до предела)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поправка уже внесена: проверьте её следующей серией.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>левее</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>правее</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средняя точка попадания в центре: так держать.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>группа кучная</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>группа не кучная</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>в центре</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 на %2 ч</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выше</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ниже</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мушка стояла в прорези %1, чем в остальных выстрелах</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>удержание сбилось — оружие было наведено %1, чем в остальных выстрелах</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сбились и мушка, и удержание</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1-я пробоина — отрыв: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ширины кольца (%2 пикс.)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Группа не кучная: средний радиус %1, наибольший разброс %2 ширины кольца (кучная — до %3 и до %4). Прицел пока не трогайте.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Группа кучная: средний радиус %1, наибольший разброс %2 ширины кольца.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выносите точку прицеливания %1 на %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ниже на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выше на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>правее на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>левее на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>без смещения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Группа и средняя точка — без неё.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Группа и средняя точка — без них.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средняя точка попадания рядом с центром: поправки не нужны, так держать.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>List index out of bounds (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitmap image is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to Load Stream</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot run default Email Client!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Exercise</name>
    <message>
        <source>Свободная стрельба</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Кучность</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Приведение к нормальному бою</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Объявление пробоины</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выполнен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не выполнен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Разброс даёт прицеливание: мушка стоит в прорези каждый раз по-разному.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Разброс даёт удержание: подводите прицел под мишень одинаково, без рывков.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Разброс дают и прицеливание, и удержание.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Кучность: очки откроются в конце серии; планку не трогайте.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Кучность: сумма и очки откроются в конце серии.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Щёлкните там, куда, по-вашему, попала пуля.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>После выстрела покажите, куда попала пуля.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Объявлено выстрелов: %1; в пределах %2 ширины кольца от пробоины: %3%.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Оружие приведено к нормальному бою. «Очистить» — другое оружие.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Оружие не пристреляно: серия, «Разбор серии», «Применить» — и снова.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Приведение к нормальному бою: серия %1. Готово, когда кучная группа ляжет не дальше %2 ширины кольца от центра.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрельба на время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Норматив упражнения (средний радиус до %1, наибольший разброс до %2 ширины кольца, без отрывов): %3 — средний радиус %4, разброс %5.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Группа в пределах норматива, но с отрывом.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Группа кучная, но норматив строже.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Оружие приведено к нормальному бою за %1. Его ошибка: при правильном прицеливании и планке на %2 пробоины уходили %3 (%4 планки) и %5; планка для него — %6.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ниже на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выше на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>правее на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>левее на %1 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>На время: 5 выстрелов за %1 с. Время пойдёт с первым движением оружия или мушки.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрельба на время: 5 выстрелов за %1 с; время считается от первого движения оружия или мушки.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрельба на время: %1 за %2 с из %3; после времени — %4.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выстрелы после времени не засчитаны: 0 очков, как промах.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>Сумма: %1 → %2, держится ровно.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сумма: %1 → %2, %3 (%4 за серию).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>растёт</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>падает</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средний радиус: %1 → %2, кучность прежняя.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средний радиус: %1 → %2, группа %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>становится кучнее</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>расползается</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 10: %1% → %2% последней секунды, удержание прежнее.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 10: %1% → %2% последней секунды, удержание %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>крепнет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>слабеет</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>JournalExport</name>
    <message>
        <source>на этом месте папка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>такой папки нет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>имя файла слишком длинное</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>диск заполнен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>диск открыт только для чтения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет прав на запись в эту папку</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>файл не удалось создать</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибка записи на диск</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>большая</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>маленькая</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Упражнение: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выстрелов нет.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Очки: %1 (выстрелов %2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средняя точка попадания: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средний радиус: %1 ширины кольца — %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Наибольший разброс: %1 ширины кольца, между %2-й и %3-й пробоинами.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сумма %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрелок: %1. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Мишень %1, чёрный круг — кольцо %2, поправка планки %3 пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось сохранить файл «%1»: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрелок</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Дата</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Серия</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Упражнение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Мишень</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чёрный круг</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поправка, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>№ выстрела</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Очки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Y, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удержание X, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удержание Y, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Мушка X, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Мушка Y, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поправка Y, пикс.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сумма серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>СТП X, ширины кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>СТП Y, ширины кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средний радиус, ширины кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Наибольший разброс, ширины кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Серий нет.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>стр. %1 из %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устойчивость: в 10 — %1%, в 9 — %2% последней секунды; пятно удержания %3 ширины кольца.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 10, % последней секунды</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 9, % последней секунды</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пятно удержания, ширины кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 10 за серию, % последней секунды</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 9 за серию, % последней секунды</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пятно удержания за серию, ширины кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 (после времени)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>На время: %1 с из %2; после времени — %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время на серию, с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время выстрела от начала, с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>После времени</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>да</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Лучшая серия</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Последняя серия</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>№</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ученик</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сумма</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ср. радиус</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Оценка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В классе нет учеников.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>JournalMessages</name>
    <message>
        <source>Журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Начать новый журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Продолжить без журнала</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал класса</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тренировка продолжается: серии будут отправлены в журнал класса, как только сервер ответит, даже если программу закроют и запустят снова.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>JournalStore</name>
    <message>
        <source>файл повреждён или это не журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет места на диске</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет прав на запись</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>файл не открывается</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал занят другой программой</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибка чтения или записи диска</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неизвестная ошибка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>на месте файла журнала папка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнала ещё нет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удаётся создать папку %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет прав на чтение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>файл повреждён</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал записан более новой версией программы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал открыт только для чтения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал не открыт</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>JournalWriter</name>
    <message>
        <source>нет места на диске</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет прав на запись</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>запись не удалась</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SaveExport</name>
    <message>
        <source>Сохранить</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vimbra</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version 1.1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Электронный тренажер для начального обучения прицеливанию</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>https://vimbra.example/</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>color: #0000ff;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>support@vimbra.example</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Идея: Vimbra</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Методика: тренеры</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Программа: Vimbra</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TClassF</name>
    <message>
        <source>Класс</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Класс:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Дата:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dd.MM.yyyy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Упражнение:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Список класса…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ученик</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Серий</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Лучшая</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Последняя</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ср. радиус</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 10, %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В 9, %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пятно удержания</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Класс по неделям (последние %1): средняя сумма серии и средний радиус</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Все упражнения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>класс-%1-%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Роль этого компьютера в журнале класса — только сдавать серии; журнал класса открывается на компьютере учителя.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Класс — %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал класса недоступен: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось прочесть журнал класса: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Нет в списке класса</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Учеников: %1, серий: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал класса недоступен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Класс %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TClassRosterF</name>
    <message>
        <source>Список класса</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Фамилия и имя</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Импорт…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ученики без класса</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ученики класса «%1»</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Список не прочитан: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось добавить «%1»: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавлен: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось удалить «%1»: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалён из списка: %1 (его серии остаются в журнале)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Список класса из файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Списки (*.csv *.txt);;Все файлы (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось открыть файл «%1»: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Список не добавлен: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Имён из файла в списке: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не взяты (длиннее %1 знаков): %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TDebriefF</name>
    <message>
        <source>Разбор серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>№</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Очки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Где</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Применить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Повтор</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Показать, как наводилось оружие перед выбранным выстрелом</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выстрелов в серии ещё нет.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Серия:&lt;/b&gt; выстрелов %1, сумма %2.&lt;br&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>откроется в конце серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> — между %1-й и %2-й пробоинами</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;br&gt;&lt;span style=&quot;color:gray&quot;&gt;Серым — предыдущая серия.&lt;/span&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поставить прицельную планку на %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Где пробоина: расстояние от центра в ширинах кольца и направление по часам</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Мушка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Часть промаха от положения мушки в прорези</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удерж.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Часть промаха от удержания с поправкой планки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Инт., с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время от предыдущего выстрела, с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>След</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Длина следа прицеливания за последнюю секунду, в ширинах кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Объявл.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка объявления пробоины, в ширинах кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Скрыть</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Убрать разбор серии; «Разбор серии» покажет его снова</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10/9, %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Доля последней секунды перед выстрелом, когда прицел стоял в десятке / в девятке (с десяткой), %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пятно</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пятно удержания: средний радиус следа прицеливания за последнюю секунду около его центра, в ширинах кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;br&gt;&lt;b&gt;Устойчивость:&lt;/b&gt; в 10 — %1%, в 9 — %2% последней секунды; пятно удержания %3 ширины кольца.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Группа:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Эта серия — или все законченные серии сеанса одной группой, с их историей</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>эта серия</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сеанс</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время, с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время выстрела от начала отсчёта (от первого движения оружия или мушки), с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Законченных серий в сеансе ещё нет.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Сеанс:&lt;/b&gt; серий %1, в группе выстрелов %2 — каждый там, куда его послала бы планка, как она стоит сейчас.&lt;br&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Отрыв:&lt;/b&gt; %1-я пробоина — группа без неё.&lt;br&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Средняя точка попадания:&lt;/b&gt; %1 (%2; ширина кольца %3 пикс.).&lt;br&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Кучность:&lt;/b&gt; средний радиус %1 ширины кольца, наибольший разброс %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> — %1.&lt;br&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибок прицеливания в среднем нет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мушка увела в среднем %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Причины:&lt;/b&gt; %1 (разброс %2), удержание с поправкой — %3 (разброс %4).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;br&gt;&lt;b&gt;Серии сеанса:&lt;/b&gt;&lt;table cellspacing=&quot;0&quot; cellpadding=&quot;2&quot;&gt;&lt;tr&gt;&lt;th align=&quot;left&quot;&gt;№&lt;/th&gt;&lt;th align=&quot;right&quot;&gt;Сумма&lt;/th&gt;&lt;th align=&quot;right&quot;&gt;Ср. радиус&lt;/th&gt;&lt;th align=&quot;right&quot;&gt;В 10/9, %&lt;/th&gt;&lt;th align=&quot;right&quot;&gt;Отрывы&lt;/th&gt;&lt;/tr&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отрыв: группа и средняя точка — без этой пробоины</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 (после времени)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выстрел после времени не засчитан (по пробоине — %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Сеанс:&lt;/b&gt; серий %1; в группе — последние %2 выстрелов, каждый там, куда его послала бы планка, как она стоит сейчас.&lt;br&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1-я</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Отрывы:&lt;/b&gt; %1 и %2 пробоины — группа без них.&lt;br&gt;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>THelpF</name>
    <message>
        <source>Инструкции</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Memo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл инструкций не найден</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TJournalF</name>
    <message>
        <source>Журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрелок:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Экспорт в CSV…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF серии…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF дня…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-серия.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-день.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серии читаются…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал недоступен: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серий: %1 (только просмотр: %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серий: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(без имени)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 (%3), сумма %4. СТП %5; средний радиус %6, наибольший разброс %7 ширины кольца.%8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>большая мишень</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>маленькая мишень</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Упражнение: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал недоступен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серия не выбрана</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Серия стрелка %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал стрелка %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 (после времени)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>На время: %1 с из %2; после времени — %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Класс…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Класс</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TJournalKeeper</name>
    <message>
        <source>серию</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>серий</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось сохранить %1 %2: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал недоступен: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тренироваться можно и без журнала; серии, которые не удалось записать, будут записаны, когда журнал станет доступен.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал класса недоступен: %1; серии сохраняются на этом компьютере</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TLesson</name>
    <message>
        <source>без имени</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TMainF</name>
    <message>
        <source>Vimbra 1.1 (Тирвана)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>color: #0000ff;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Последний выстрел:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сумма серии:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сделано выстрелов:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пример правильного прицеливания</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройка прицельной планки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Диаметр чёрного круга соответствует</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Инструкции</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Размер мишени</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>большая</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>маленькая</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;Лазерный прицел&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>О программе...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Разбор серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Упражнение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Свободная стрельба</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Кучность</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Приведение к нормальному бою</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Объявление пробоины</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Серия закончена!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>background-color: #ffffff; color: #000000;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрельба на время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время: %1 с из %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Следующий стрелок</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрелок: не выбран</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрелок: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стрелок: %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TProgressChart</name>
    <message>
        <source>Сумма</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Средний радиус</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>скользящее среднее по %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>очки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ширины кольца</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Серий пока нет</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TSeriesTableModel</name>
    <message>
        <source>Дата</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сумма</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ср. радиус</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поправка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Доля последней секунды перед выстрелом, когда прицел стоял в десятке / в девятке (с десяткой), %: среднее по выстрелам серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пятно удержания: средний радиус следа прицеливания за последнюю секунду около его центра, в ширинах кольца: среднее по выстрелам серии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10/9, %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пятно</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TShooterF</name>
    <message>
        <source>Кто стреляет?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Класс:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Найти по имени</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Фамилия и имя:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
