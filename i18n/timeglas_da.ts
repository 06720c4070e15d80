<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="da_DK" sourcelanguage="da_DK">
  <context>
    <name>DayClosingModel</name>
    <message numerus="yes">
      <source>%n opgaver • %1 timer sendes til Workbook</source>
      <translation>
        <numerusform>%n opgave • %1 timer sendes til Workbook</numerusform>
        <numerusform>%n opgaver • %1 timer sendes til Workbook</numerusform>
      </translation>
    </message>
    <message numerus="yes">
      <source>%n opgaver • %1 timer registreres</source>
      <translation>
        <numerusform>%n opgave • %1 timer registreres</numerusform>
        <numerusform>%n opgaver • %1 timer registreres</numerusform>
      </translation>
    </message>
  </context>
  <context>
    <name>StatsTab</name>
    <message numerus="yes">
      <source>%n dage</source>
      <translation>
        <numerusform>%n dag</numerusform>
        <numerusform>%n dage</numerusform>
      </translation>
    </message>
  </context>
  <context>
    <name>StatsTabModel</name>
    <message numerus="yes">
      <source>%n opgaver</source>
      <translation>
        <numerusform>%n opgave</numerusform>
        <numerusform>%n opgaver</numerusform>
      </translation>
    </message>
  </context>
</TS>