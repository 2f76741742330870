/* An example skin: copy to x/o.cjs beside the brintova executable. It is a Qt style sheet. */
QWidget#Form1, QWidget#Form1 QGroupBox, QWidget#Form1 QRadioButton { background-color: #eef2f7; }
QGroupBox { font-weight: bold; border: 1px solid #9aaec8; border-radius: 4px; margin-top: 10px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #23406b; }
QPushButton { background-color: #dbe6f4; border: 1px solid #7d98bd; border-radius: 4px; color: #1c3150; }
QPushButton:hover { background-color: #c7d8ef; }
QPushButton:pressed { background-color: #afc6e6; }
QProgressBar { border: 1px solid #7d98bd; border-radius: 3px; background: white; }
QProgressBar::chunk { background-color: #4a7bbf; }
